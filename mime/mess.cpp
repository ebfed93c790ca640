#include "mime/mess.h"

#include "mime/ascii.h"
#include "mime/comment.h"
#include "mime/quotedstring.h"

#include <exception>

namespace Orvanta::Mime {

Mess::Mess(const char* data, size_t size, const char* stops) {
    size_t position = 0;
    try {
        while (position < size) {
            char c = data[position];
            if (Ascii::inSet(c, stops)) break;
            if (c == '"') {
                position += QuotedString(data + position, size - position).consumed();
            } else if (c == '(') {
                position += Comment(data + position, size - position).consumed();
            } else {
                ++position;
            }
        }
    } catch (const std::exception&) {
        // a quoted string or comment that never closes swallows the rest:
        // there is no separator left that could be trusted
        position = size;
    }
    _consumed = position;
}

} // namespace Orvanta::Mime
