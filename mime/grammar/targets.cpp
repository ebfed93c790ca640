#include "mime/grammar/targets.h"

#include "mime/grammar/collectelements.h"

#include <stdexcept>

namespace Orvanta::Mime {

namespace {

bool separator(char next) {
    return next == ',';
}

void complete(bool strict, size_t consumed, size_t size) {
    if (strict && consumed < size) throw std::runtime_error("Did not manage to process everything");
}

} // namespace

Targets::Targets(const char* data, size_t size, bool strict) {
    Walk walk = collectElements(data, size, strict, separator, _targets);
    _consumed = walk.consumed;
    _bare = walk.bare;
    complete(strict, _consumed, size);
}

size_t Targets::each(const char* data, size_t size, bool strict,
                     const std::function<void(const Target&)>& visit) {
    size_t consumed =
        walkElements<Target>(data, size, strict, separator, [&visit](std::shared_ptr<Target>&& target) {
            visit(*target);
        }).consumed;
    complete(strict, consumed, size);
    return consumed;
}

size_t Targets::encode(const Capabilities& caps, Filter::Result* out, bool persistent) const {
    return encodeElements(_targets, caps, out, persistent);
}

size_t Targets::encode(const Capabilities& caps, Filter::LineLength* out, bool persistent) const {
    return encodeElements(_targets, caps, out, persistent);
}

size_t Targets::encode(const Capabilities& caps, Filter::WordWrap* out, bool persistent) const {
    return encodeElements(_targets, caps, out, persistent);
}

bool Targets::encodable(const Capabilities& caps) const {
    return elementsEncodable(_targets, caps);
}

bool Targets::contains(const Address& address) const {
    for (const auto& target : _targets)
        if (target->contains(address)) return true;
    return false;
}

bool Targets::whole() const {
    if (_bare) return false;
    for (const auto& target : _targets)
        if (!target->whole() || target->bare()) return false;
    return true;
}

} // namespace Orvanta::Mime
