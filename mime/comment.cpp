#include "mime/comment.h"

#include <stdexcept>

namespace Orvanta::Mime {

Comment::Comment(char const* data, size_t size) {
    if (size == 0 || data[0] != '(') return;
    size_t depth = 1;
    for (size_t i = 1; i < size; ++i) {
        switch (data[i]) {
        case '(': ++depth; break;
        case ')':
            if (--depth == 0) {
                _consumed = i + 1;
                return;
            }
            break;
        case '\\':
            if (++i == size) throw std::runtime_error("invalid comment (escaped character missing after backslash)");
            break;
        default: break;
        }
    }
    throw std::runtime_error("unfinished comment");
}

} // namespace Orvanta::Mime
