#include "mime/message/preamble.h"

#include "mime/message/part.h"
#include "mime/message/textblock.h"

namespace Orvanta::Mime {

Preamble::Preamble(const Part& part) : String(part.text(), part.content()), _boundary(part) {}

size_t Preamble::encode(const Capabilities&, Filter::Result* out, bool persistent) const {
    return TextBlock(_data, _size).encode(out, persistent);
}

const Preamble& empty_preamble() {
    static const Preamble empty;
    return empty;
}

} // namespace Orvanta::Mime
