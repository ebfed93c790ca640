#include "filter/hexdecode.h"

#include "filter/mimehex.h"

namespace Orvanta::Filter {

HexDecode::~HexDecode() {
    finish();
}

size_t HexDecode::finish() {
    size_t total = 0;
    if (_state >= 1) total += next->append("%", 1, true);
    if (_state == 2) total += next->append(&_first, 1, false);
    _state = 0;
    return total;
}

size_t HexDecode::process(const char* data, size_t size, bool persistent) {
    if (size == 0) return 0;
    size_t total = 0;
    size_t start = 0;
    for (size_t i = 0; i < size; ++i) {
        char c = data[i];
        if (_state != 0 && !isHexDigit(c)) {
            // Not an escape after all: the held bytes are text, and this
            // byte is read again as ordinary input.
            total += finish();
            start = i;
        }
        if (_state == 0) {
            if (c != '%') continue;
            if (i > start) total += next->append(data + start, i - start, persistent);
            _state = 1;
        } else if (_state == 1) {
            _first = c;
            _state = 2;
        } else {
            char byte = MimeHex(_first, c).byte();
            total += next->append(&byte, 1, false);
            _state = 0;
        }
        start = i + 1;
    }
    if (_state == 0 && size > start) total += next->append(data + start, size - start, persistent);
    return total;
}

} // namespace Orvanta::Filter
