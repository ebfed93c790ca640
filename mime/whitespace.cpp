#include "mime/whitespace.h"

#include "mime/ascii.h"
#include "mime/comment.h"

#include <stdexcept>

namespace Orvanta::Mime {

Whitespace::Whitespace(char const* data, size_t size, bool comments) {
    while (_consumed < size) {
        char c = data[_consumed];
        if (Ascii::isSpace(c)) {
            ++_consumed;
        } else if (comments && c == '(') {
            _consumed += Comment(data + _consumed, size - _consumed).consumed();
        } else {
            break;
        }
    }
}

size_t Whitespace::beforeSemicolon(char const* data, size_t size, size_t at, char const* error) {
    try {
        at += Whitespace(data + at, size - at, true).consumed();
    } catch (std::runtime_error const&) {
        throw std::runtime_error(error);
    }
    if (at == size) return at;
    if (data[at] != ';') throw std::runtime_error(error);
    return at + 1;
}

} // namespace Orvanta::Mime
