#include "mime/grammar/scanner.h"

#include "mime/grammar/ascii.h"
#include "mime/grammar/comment.h"

namespace Orvanta::Mime {

size_t Scanner::skipBlanks(bool comments) {
    size_t start = _position;
    while (!atEnd()) {
        if (atOne(Ascii::isSpace))
            ++_position;
        else if (comments && at('('))
            advance(Comment(here(), left()).consumed());
        else
            break;
    }
    return _position - start;
}

} // namespace Orvanta::Mime
