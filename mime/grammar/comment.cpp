#include "mime/grammar/comment.h"

#include "mime/grammar/scanner.h"

#include <stdexcept>

namespace Orvanta::Mime {

Comment::Comment(const char* data, size_t size) {
    Scanner text(data, size);
    if (!text.take('(')) return;
    size_t depth = 1;
    while (!text.atEnd()) {
        switch (text.next()) {
        case '(':
            ++depth;
            break;
        case ')':
            if (--depth == 0) {
                _consumed = text.position();
                return;
            }
            break;
        case '\\':
            if (text.atEnd())
                throw std::runtime_error("invalid comment (escaped character missing after backslash)");
            text.advance(1);
            break;
        default:
            break;
        }
    }
    throw std::runtime_error("unfinished comment");
}

} // namespace Orvanta::Mime
