#include "mime/part.h"

#include "mime/parseerror.h"
#include "mime/separator.h"

#include <cstring>

namespace Orvanta::Mime {

namespace {

// the end of a line end at `at`: CR LF, a lone CR, a lone LF, or the end of
// the text; 0 when the byte there is none of these
size_t lineEnd(char const* text, size_t size, size_t at) {
    if (at == size) return size;
    if (text[at] == '\n') return at + 1;
    if (text[at] == '\r') return at + 1 < size && text[at + 1] == '\n' ? at + 2 : at + 1;
    return 0;
}

} // namespace

Part::Part(Separator const& separator, char const* text, size_t size) : _text(text) {
    std::string const& s = separator.text();
    size_t start = 0;
    while (start < size) {
        auto found = static_cast<char const*>(memmem(text + start, size - start, s.data(), s.size()));
        if (found == nullptr) break;
        size_t match = static_cast<size_t>(found - text);
        size_t after = match + s.size();
        bool closing = false;
        if (after + 2 <= size && text[after] == '-' && text[after + 1] == '-') {
            after += 2;
            closing = true;
        }
        if (size_t end = lineEnd(text, size, after); end != 0) {
            _content = match;
            _consumed = end;
            _closing = closing;
            return;
        }
        start = match + 1;
    }
    throw ParseError("Didn't find a next boundary", size);
}

} // namespace Orvanta::Mime
