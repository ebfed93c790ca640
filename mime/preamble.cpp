#include "mime/preamble.h"

#include "mime/part.h"
#include "mime/textblock.h"

namespace Orvanta::Mime {

Preamble::Preamble(Part const& part) : String(part.text(), part.content()), _boundary(part) {}

size_t Preamble::encode(Capabilities const&, Filter::Result* out, bool persistent) const {
    return TextBlock(_data, _size).encode(out, persistent);
}

Preamble const& empty_preamble() {
    static const Preamble empty;
    return empty;
}

} // namespace Orvanta::Mime
