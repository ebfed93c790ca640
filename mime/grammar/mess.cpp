#include "mime/grammar/mess.h"

#include "mime/grammar/ascii.h"
#include "mime/grammar/comment.h"
#include "mime/grammar/quotedstring.h"
#include "mime/grammar/scanner.h"

#include <exception>

namespace Orvanta::Mime {

Mess::Mess(const char* data, size_t size, const char* stops) {
    Scanner scanner(data, size);
    try {
        while (!scanner.atEnd()) {
            char c = scanner.current();
            if (Ascii::inSet(c, stops)) break;
            if (c == '"')
                scanner.advance(QuotedString(scanner.here(), scanner.left()).consumed());
            else if (c == '(')
                scanner.advance(Comment(scanner.here(), scanner.left()).consumed());
            else
                scanner.advance(1);
        }
        _consumed = scanner.position();
    } catch (const std::exception&) {
        // a quoted string or comment that never closes swallows the rest:
        // there is no separator left that could be trusted
        _consumed = size;
    }
}

} // namespace Orvanta::Mime
