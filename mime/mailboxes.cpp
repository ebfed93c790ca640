#include "mime/mailboxes.h"

#include "filter/linelength.h"
#include "filter/wordwrap.h"
#include "mime/capabilities.h"
#include "mime/delimdetector.h"
#include "mime/mess.h"

#include <exception>
#include <stdexcept>

namespace Orvanta::Mime {

Mailboxes::Mailboxes(char const* data, size_t size, bool strict) {
    DelimDetector walker(',', [this, strict](char const* element, size_t length) -> size_t {
        try {
            auto mailbox = std::make_shared<Mailbox>(element, length, false);
            size_t taken = mailbox->consumed();
            if (taken < length && element[taken] != ',' && element[taken] != '\0')
                throw std::runtime_error("characters left behind target");
            _mailboxes.push_back(mailbox);
            return taken;
        } catch (std::exception const&) {
            if (strict) throw;
            // lenient: drop the element up to the next ','
            return Mess(element, length, ",").consumed();
        }
    });
    _consumed = walker.parse(data, size);
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
