#include "mime/targets.h"

#include "filter/linelength.h"
#include "filter/wordwrap.h"
#include "mime/capabilities.h"
#include "mime/collectelements.h"

#include <stdexcept>

namespace Orvanta::Mime {

Targets::Targets(char const* data, size_t size, bool strict) {
    _consumed = collectElements(data, size, strict, [](char next) { return next == ','; }, _targets);
    if (strict && _consumed < size) throw std::runtime_error("Did not manage to process everything");
}

size_t Targets::encode(Capabilities const& caps, Filter::Result* out, bool persistent) const {
    size_t written = 0;
    for (size_t i = 0; i < _targets.size(); ++i) {
        if (i > 0) written += out->append(", ", 2, true);
        written += _targets[i]->encode(caps, out, persistent);
    }
    return written;
}

size_t Targets::encode(Capabilities const& caps, Filter::LineLength* out, bool persistent) const {
    Filter::WordWrap wrap(caps.limits(), out->size(), out);
    size_t written = 0;
    for (size_t i = 0; i < _targets.size(); ++i) {
        if (i > 0) written += wrap.append(", ", 2, true);
        written += _targets[i]->encode(caps, &wrap, persistent);
    }
    return written + wrap.flush();
}

bool Targets::encodable(Capabilities const& caps) const {
    if (caps.eightbit()) return true;
    for (auto const& target : _targets)
        if (!target->encodable(caps)) return false;
    return true;
}

bool Targets::contains(Address const& address) const {
    for (auto const& target : _targets)
        if (target->contains(address)) return true;
    return false;
}

} // namespace Orvanta::Mime
