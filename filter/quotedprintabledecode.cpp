#include "filter/quotedprintabledecode.h"

#include "filter/mimehex.h"

#include <cstring>

namespace Orvanta::Filter {

namespace {

// White space as isspace() knows it in the C locale, without the locale.
bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f';
}

} // namespace

QuotedPrintableDecode::~QuotedPrintableDecode() {
    // A lone "=" or "=" with white space at the very end is a soft break of
    // the last line; only a half escape is text.
    if (_state == 2) release();
}

size_t QuotedPrintableDecode::release() {
    size_t total = next->append("=", 1, true);
    if (_state == 2) total += next->append(&_byte, 1, false);
    if (_state == 3) total += next->append(_blanks.data(), _blanks.size(), false);
    _blanks.clear();
    _state = 0;
    return total;
}

size_t QuotedPrintableDecode::process(const char* data, size_t size, bool persistent) {
    if (size == 0) return 0;
    size_t total = 0;
    size_t start = 0; // of the pending slice of unchanged bytes
    size_t i = 0;
    while (i < size) {
        char c = data[i];
        bool escapeGoesOn = true;
        switch (_state) {
        case 0:
            if (c != '=') {
                // Plain text runs up to the next "=".
                const void* mark = std::memchr(data + i, '=', size - i);
                i = mark == nullptr ? size : static_cast<size_t>(static_cast<const char*>(mark) - data);
                continue;
            }
            if (i > start) total += next->append(data + start, i - start, persistent);
            _state = 1;
            break;
        case 1:
            if (c == '\n') {
                _state = 0;
            } else if (isBlank(c)) {
                _blanks.assign(1, c);
                _state = 3;
            } else if (isHexDigit(c)) {
                _byte = c;
                _state = 2;
            } else {
                escapeGoesOn = false;
            }
            break;
        case 2:
            if (isHexDigit(c)) {
                char byte = MimeHex(_byte, c).byte();
                total += next->append(&byte, 1, false);
                _state = 0;
            } else {
                escapeGoesOn = false;
            }
            break;
        default:
            if (c == '\n') {
                // A soft break with transport padding before the line end.
                _blanks.clear();
                _state = 0;
            } else if (isBlank(c)) {
                _blanks += c;
            } else {
                escapeGoesOn = false;
            }
            break;
        }
        if (escapeGoesOn) {
            ++i;
        } else {
            // Not an escape: what was held is text, and this byte is read
            // again as ordinary input (another "=" opens a new escape).
            total += release();
        }
        start = i;
    }
    if (_state == 0 && size > start) total += next->append(data + start, size - start, persistent);
    return total;
}

} // namespace Orvanta::Filter
