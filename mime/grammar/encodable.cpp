#include "mime/grammar/encodable.h"

#include "filter/linelength.h"
#include "filter/wordwrap.h"
#include "mime/grammar/capabilities.h"
#include "mime/grammar/tostring.h"

namespace Orvanta::Mime {

size_t Encodable::encode(const Capabilities& caps, Filter::LineLength* out, bool persistent) const {
    return encode(caps, static_cast<Filter::Result*>(out), persistent);
}

size_t Encodable::encode(const Capabilities& caps, Filter::WordWrap* out, bool persistent) const {
    return encode(caps, static_cast<Filter::LineLength*>(out), persistent);
}

bool Encodable::encodable(const Capabilities&) const {
    return true;
}

std::string Encodable::str(bool utf8) const {
    ToString holder;
    encode(utf8 ? Capabilities::utf8() : Capabilities::standard(), holder.sink(), true);
    return holder.text();
}

Encodable::operator std::string() const {
    return str(true);
}

} // namespace Orvanta::Mime
