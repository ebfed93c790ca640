#include "mime/quotedstring.h"

#include "mime/ascii.h"

#include <stdexcept>

namespace Orvanta::Mime {

QuotedString::QuotedString(char const* data, size_t size) {
    if (size == 0 || data[0] != '"') return;
    for (size_t i = 1; i < size; ++i) {
        char c = data[i];
        if (c == '"') {
            _consumed = i + 1;
            return;
        }
        if (!Ascii::isAscii(c)) _eightbit = true;
        if (c == '\r' || c == '\n') continue;  // a fold leaves only its blanks
        if (c == '\\') {
            if (++i == size) throw std::runtime_error("invalid quoted string (escaped character missing after backslash)");
            if (!Ascii::isAscii(data[i])) _eightbit = true;
            _text.push_back(data[i]);
        } else if (Ascii::isSpace(c)) {
            _text.push_back(' ');
        } else {
            _text.push_back(c);
        }
    }
    throw std::runtime_error("unfinished quoted string");
}

} // namespace Orvanta::Mime
