#include "mime/whitespace.h"

#include "mime/ascii.h"
#include "mime/comment.h"

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

} // namespace Orvanta::Mime
