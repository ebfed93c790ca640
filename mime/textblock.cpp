#include "mime/textblock.h"

#include "filter/newlineconverter.h"

namespace Orvanta::Mime {

size_t TextBlock::encode(Filter::Result* out, bool persistent) const {
    if (_size == 0) return 0;
    Filter::NewlineConverter converter(out, "\r\n", 0);
    size_t total = converter.append(_data, _size, persistent);
    char last = _data[_size - 1];
    // a final CR or LF was made CR LF already
    if (last != '\r' && last != '\n') total += out->append("\r\n", 2, true);
    return total;
}

} // namespace Orvanta::Mime
