#include "mime/message/sevenbit.h"

#include "mime/grammar/ascii.h"

namespace Orvanta::Mime {

size_t SevenBit::append(const char* data, size_t size, bool) {
    for (size_t i = 0; i < size && _fits; ++i) {
        char c = data[i];
        if (c == '\n') {
            _line = 0;
            _cr = false;
            continue;
        }
        // a lone CR ends no line (it is written as it stands) and counts as
        // a byte of it; the CR of a line end does not
        if (_cr && ++_line > _limit) _fits = false;
        _cr = c == '\r';
        if (!_cr && (!Ascii::isAscii(c) || ++_line > _limit)) _fits = false;
    }
    return size;
}

bool SevenBit::fits(const char* data, size_t size, size_t hardLimit) {
    SevenBit check(hardLimit);
    check.append(data, size, true);
    return check.fits();
}

} // namespace Orvanta::Mime
