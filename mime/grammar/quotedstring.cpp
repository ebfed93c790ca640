#include "mime/grammar/quotedstring.h"

#include "mime/grammar/ascii.h"
#include "mime/grammar/scanner.h"

#include <stdexcept>

namespace Orvanta::Mime {

namespace {

// The bytes of a line end at the position when a blank follows it: a fold,
// which readers undo before they read escapes.
size_t fold(const Scanner& text) {
    const char* at = text.here();
    size_t left = text.left();
    size_t end = 0;
    if (left >= 2 && at[0] == '\r' && at[1] == '\n')
        end = 2;
    else if (left >= 1 && (at[0] == '\r' || at[0] == '\n'))
        end = 1;
    return end > 0 && end < left && (at[end] == ' ' || at[end] == '\t') ? end : 0;
}

} // namespace

QuotedString::QuotedString(const char* data, size_t size) {
    Scanner text(data, size);
    if (!text.take('"')) return;
    while (!text.atEnd()) {
        // a fold leaves only its blanks
        if (size_t end = fold(text)) {
            text.advance(end);
            continue;
        }
        char c = text.next();
        if (c == '"') {
            _consumed = text.position();
            return;
        }
        if (!Ascii::isAscii(c)) _eightbit = true;
        if (Ascii::isControl(c)) _control = true;
        if (c == '\r' || c == '\n') continue;
        if (c == '\\') {
            if (text.atEnd())
                throw std::runtime_error("invalid quoted string (escaped character missing after backslash)");
            // an escaped fold (the obsolete quoted-pair): the fold goes and the
            // backslash escapes the blank after it
            text.advance(fold(text));
            char escaped = text.next();
            if (!Ascii::isAscii(escaped)) _eightbit = true;
            if (Ascii::isControl(escaped)) _control = true;
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
