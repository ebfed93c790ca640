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
        // A CR without its LF ends no line: in binary data it is a byte of
        // the line, anywhere else it is no text, and readers take it for a
        // line break or for a byte of the line, each their own way.
        if (_cr && (!_binary || ++_line > _limit)) _fits = false;
        _cr = c == '\r';
        if (_cr) continue;
        // NUL is no text at all
        if ((c == '\0' && !_binary) || (!_eightbit && !Ascii::isAscii(c)) || ++_line > _limit) _fits = false;
    }
    return size;
}

bool SevenBit::fits(const char* data, size_t size, size_t hardLimit, bool eightbit, bool binary) {
    SevenBit check(hardLimit, eightbit, binary);
    check.append(data, size, true);
    return check.fits();
}

} // namespace Orvanta::Mime
