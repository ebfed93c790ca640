#include "mime/targets.h"

#include "mime/collectelements.h"

#include <stdexcept>

namespace Orvanta::Mime {

Targets::Targets(char const* data, size_t size, bool strict) {
    _consumed = collectElements(data, size, strict, [](char next) { return next == ','; }, _targets);
    if (strict && _consumed < size) throw std::runtime_error("Did not manage to process everything");
}

size_t Targets::encode(Capabilities const& caps, Filter::Result* out, bool persistent) const {
    return encodeElements(_targets, caps, out, persistent);
}

size_t Targets::encode(Capabilities const& caps, Filter::LineLength* out, bool persistent) const {
    return encodeElements(_targets, caps, out, persistent);
}

bool Targets::encodable(Capabilities const& caps) const { return elementsEncodable(_targets, caps); }

bool Targets::contains(Address const& address) const {
    for (auto const& target : _targets)
        if (target->contains(address)) return true;
    return false;
}

} // namespace Orvanta::Mime
