#include "mime/grammar/whitespace.h"

#include "mime/grammar/scanner.h"

namespace Orvanta::Mime {

Whitespace::Whitespace(const char* data, size_t size, bool comments) {
    _consumed = Scanner(data, size).skipBlanks(comments);
}

} // namespace Orvanta::Mime
