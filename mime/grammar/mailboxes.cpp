#include "mime/grammar/mailboxes.h"

#include "mime/grammar/collectelements.h"

#include <stdexcept>

namespace Orvanta::Mime {

Mailboxes::Mailboxes(const char* data, size_t size, bool strict) {
    Walk walk = collectElements(
        data, size, strict, [](char next) { return next == ',' || next == '\0'; }, _mailboxes);
    _consumed = walk.consumed;
    _bare = walk.bare;
    if (strict && _consumed < size) throw std::runtime_error("Did not manage to process everything");
}

size_t Mailboxes::encode(const Capabilities& caps, Filter::Result* out, bool persistent) const {
    return encodeElements(_mailboxes, caps, out, persistent);
}

size_t Mailboxes::encode(const Capabilities& caps, Filter::LineLength* out, bool persistent) const {
    return encodeElements(_mailboxes, caps, out, persistent);
}

size_t Mailboxes::encode(const Capabilities& caps, Filter::WordWrap* out, bool persistent) const {
    return encodeElements(_mailboxes, caps, out, persistent);
}

bool Mailboxes::whole() const {
    return !_bare && elementsWhole(_mailboxes);
}

bool Mailboxes::encodable(const Capabilities& caps) const {
    return elementsEncodable(_mailboxes, caps);
}

} // namespace Orvanta::Mime
