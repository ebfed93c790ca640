#include "mime/part.h"

#include "mime/parseerror.h"
#include "mime/separator.h"

#include <cstring>
#include <vector>

namespace Orvanta::Mime {

namespace {

// the end of a line end at `at`: CR LF, a lone CR, a lone LF, or the end of
// the text; 0 when the byte there is none of these
size_t lineEnd(const char* text, size_t size, size_t at) {
    if (at == size) return size;
    if (text[at] == '\n') return at + 1;
    if (text[at] == '\r') return at + 1 < size && text[at + 1] == '\n' ? at + 2 : at + 1;
    return 0;
}

// for each prefix of s, the length of its longest proper prefix that is also
// its suffix: where a match may go on after a byte that does not fit
std::vector<size_t> borders(const std::string& s) {
    std::vector<size_t> border(s.size(), 0);
    size_t k = 0;
    for (size_t i = 1; i < s.size(); ++i) {
        while (k > 0 && s[i] != s[k])
            k = border[k - 1];
        if (s[i] == s[k]) ++k;
        border[i] = k;
    }
    return border;
}

} // namespace

Part::Part(const Separator& separator, const char* text, size_t size) : _text(text) {
    const std::string& s = separator.text();
    const size_t m = s.size();
    // Matches are found with memmem while no partial match is pending. After
    // a rejected match the search goes on byte by byte from what the match
    // already covered, so a separator that overlaps itself (a run of '-', for
    // instance) is never compared again from its start: a hostile text full
    // of rejected matches costs time in proportion to its size.
    std::vector<size_t> border;
    size_t i = 0; // the next byte to look at
    size_t k = 0; // bytes of the separator matched just before i
    while (i < size) {
        if (k == 0) {
            auto found = static_cast<const char*>(memmem(text + i, size - i, s.data(), m));
            if (found == nullptr) break;
            i = static_cast<size_t>(found - text) + m;
        } else {
            while (i < size && k > 0 && k < m) {
                while (k > 0 && text[i] != s[k])
                    k = border[k - 1];
                if (text[i] == s[k]) ++k;
                ++i;
            }
            if (k < m) continue;
        }
        size_t match = i - m;
        size_t after = i;
        bool closing = false;
        if (after + 2 <= size && text[after] == '-' && text[after + 1] == '-') {
            after += 2;
            closing = true;
        }
        // blanks before the line end are transport padding (RFC 2046)
        while (after < size && (text[after] == ' ' || text[after] == '\t'))
            ++after;
        if (size_t end = lineEnd(text, size, after); end != 0) {
            _content = match;
            _consumed = end;
            _closing = closing;
            return;
        }
        if (border.empty()) border = borders(s);
        k = border[m - 1];
    }
    throw ParseError("Didn't find a next boundary", size);
}

Part::Part(const char* text, size_t size) : _text(text), _content(size), _consumed(size) {}

} // namespace Orvanta::Mime
