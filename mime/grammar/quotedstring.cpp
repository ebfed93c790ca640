#include "mime/grammar/quotedstring.h"

#include "mime/grammar/ascii.h"
#include "mime/grammar/scanner.h"

#include <stdexcept>

namespace Orvanta::Mime {

QuotedString::QuotedString(const char* data, size_t size) {
    Scanner text(data, size);
    if (!text.take('"')) return;
    while (!text.atEnd()) {
        char c = text.next();
        if (c == '"') {
            _consumed = text.position();
            return;
        }
        if (!Ascii::isAscii(c)) _eightbit = true;
        if (c == '\r' || c == '\n') continue; // a fold leaves only its blanks
        if (c == '\\') {
            if (text.atEnd())
                throw std::runtime_error("invalid quoted string (escaped character missing after backslash)");
            char escaped = text.next();
            if (!Ascii::isAscii(escaped)) _eightbit = true;
            _text.push_back(escaped);
        } else if (Ascii::isSpace(c)) {
            _text.push_back(' ');
        } else {
            _text.push_back(c);
        }
    }
    throw std::runtime_error("unfinished quoted string");
}

} // namespace Orvanta::Mime
