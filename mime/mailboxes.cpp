#include "mime/mailboxes.h"

#include "filter/linelength.h"
#include "filter/wordwrap.h"
#include "mime/capabilities.h"
#include "mime/collectelements.h"

#include <stdexcept>

namespace Orvanta::Mime {

Mailboxes::Mailboxes(char const* data, size_t size, bool strict) {
    _consumed = collectElements(data, size, strict, [](char next) { return next == ',' || next == '\0'; }, _mailboxes);
    if (strict && _consumed < size) throw std::runtime_error("Did not manage to process everything");
}

size_t Mailboxes::encode(Capabilities const& caps, Filter::Result* out, bool persistent) const {
    size_t written = 0;
    for (size_t i = 0; i < _mailboxes.size(); ++i) {
        if (i > 0) written += out->append(", ", 2, true);
        written += _mailboxes[i]->encode(caps, out, persistent);
    }
    return written;
}

size_t Mailboxes::encode(Capabilities const& caps, Filter::LineLength* out, bool persistent) const {
    Filter::WordWrap wrap(caps.limits(), out->size(), out);
    size_t written = 0;
    for (size_t i = 0; i < _mailboxes.size(); ++i) {
        if (i > 0) written += wrap.append(", ", 2, true);
        written += _mailboxes[i]->encode(caps, &wrap, persistent);
    }
    return written + wrap.flush();
}

bool Mailboxes::encodable(Capabilities const& caps) const {
    if (caps.eightbit()) return true;
    for (auto const& mailbox : _mailboxes)
        if (!mailbox->encodable(caps)) return false;
    return true;
}

} // namespace Orvanta::Mime
