#include "mime/sevenbit.h"

#include "mime/ascii.h"

namespace Orvanta::Mime {

size_t SevenBit::append(const char* data, size_t size, bool) {
    for (size_t i = 0; i < size && _fits; ++i) {
        char c = data[i];
        if (c == '\r' || c == '\n')
            _line = 0;
        else if (!Ascii::isAscii(c) || ++_line > _limit)
            _fits = false;
    }
    return size;
}

bool SevenBit::fits(const char* data, size_t size, size_t hardLimit) {
    SevenBit check(hardLimit);
    check.append(data, size, true);
    return check.fits();
}

} // namespace Orvanta::Mime
