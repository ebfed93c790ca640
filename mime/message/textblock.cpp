#include "mime/message/textblock.h"

#include "filter/result.h"
#include "mime/message/crlf.h"

namespace Orvanta::Mime {

size_t TextBlock::encode(Filter::Result* out, bool persistent) const {
    if (_size == 0) return 0;
    size_t total = CrLf(out).append(_data, _size, persistent);
    // a final line feed was made CR LF already
    if (_data[_size - 1] != '\n') total += out->append("\r\n", 2, true);
    return total;
}

} // namespace Orvanta::Mime
