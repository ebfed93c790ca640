#include "mime/message/part.h"

#include "mime/message/parseerror.h"
#include "mime/message/separator.h"

#include <cstring>

namespace Orvanta::Mime {

namespace {

// the end of a line end at `at`: CR LF, a lone LF, or the end of the text; 0
// when the bytes there are none of these (a lone CR ends no line)
size_t lineEnd(const char* text, size_t size, size_t at) {
    if (at == size) return size;
    if (text[at] == '\n') return at + 1;
    if (text[at] == '\r' && at + 1 < size && text[at + 1] == '\n') return at + 2;
    return 0;
}

} // namespace

Part::Part(const Separator& separator, const char* text, size_t size) : _text(text) {
    const std::string& s = separator.text();
    const size_t m = s.size();
    // A delimiter counts only at the start of a line (RFC 2046): one in the
    // middle of a line would let a sender cut a part wherever it likes. Each
    // line is compared once from its start, and the comparison stops at the
    // line's end at the latest, so the search costs time in proportion to
    // the text whatever it holds. A separator with a line feed in it is no
    // line at all and is never found.
    bool oneLine = std::memchr(s.data(), '\n', m) == nullptr;
    for (size_t start = 0; oneLine && start < size;) {
        if (size - start >= m && std::memcmp(text + start, s.data(), m) == 0) {
            size_t after = start + m;
            bool closing = false;
            if (after + 2 <= size && text[after] == '-' && text[after + 1] == '-') {
                after += 2;
                closing = true;
            }
            // blanks before the line end are transport padding (RFC 2046)
            while (after < size && (text[after] == ' ' || text[after] == '\t'))
                ++after;
            if (size_t end = lineEnd(text, size, after); end != 0) {
                _content = start;
                _consumed = end;
                _closing = closing;
                return;
            }
        }
        auto feed = static_cast<const char*>(std::memchr(text + start, '\n', size - start));
        if (feed == nullptr) break;
        start = static_cast<size_t>(feed - text) + 1;
    }
    throw ParseError("Didn't find a next boundary", size);
}

Part::Part(const char* text, size_t size) : _text(text), _content(size), _consumed(size) {}

} // namespace Orvanta::Mime
