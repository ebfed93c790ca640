#include "mime/targets.h"

#include "mime/collectelements.h"

#include <stdexcept>

namespace Orvanta::Mime {

Targets::Targets(const char* data, size_t size, bool strict) {
    _consumed = collectElements(
        data, size, strict, [](char next) { return next == ','; }, _targets);
    if (strict && _consumed < size) throw std::runtime_error("Did not manage to process everything");
}

size_t Targets::encode(const Capabilities& caps, Filter::Result* out, bool persistent) const {
    return encodeElements(_targets, caps, out, persistent);
}

size_t Targets::encode(const Capabilities& caps, Filter::LineLength* out, bool persistent) const {
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

} // namespace Orvanta::Mime
