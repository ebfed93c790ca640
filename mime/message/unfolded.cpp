#include "mime/message/unfolded.h"

#include "filter/wordwrap.h"
#include "mime/grammar/comment.h"
#include "mime/grammar/quotedstring.h"
#include "mime/grammar/scanner.h"

#include <cstring>
#include <exception>

namespace Orvanta::Mime {

bool unfolded(const std::string& rendered, size_t used, size_t limit) {
    if (rendered.find("  ") == std::string::npos && rendered.find('\t') == std::string::npos) return false;
    if (rendered.find_first_of(std::string("\r\n\0", 3)) != std::string::npos) return false;
    return used + rendered.size() + 2 <= limit;
}

size_t appendKeepingQuotes(Filter::WordWrap* wrap, const char* data, size_t size, bool persistent) {
    size_t total = 0;
    size_t start = 0;
    Scanner scanner(data, size);
    try {
        while (!scanner.atEnd()) {
            if (scanner.at('(')) {
                scanner.advance(Comment(scanner.here(), scanner.left()).consumed());
                continue;
            }
            if (!scanner.at('"')) {
                scanner.advance(1);
                continue;
            }
            const char* quoted = scanner.here();
            size_t length = QuotedString(quoted, scanner.left()).consumed();
            scanner.advance(length);
            // one without blanks has nowhere to fold; one that holds a line
            // end keeps the fold it came with; one too long for a line of its
            // own (a blank before it, CR LF after it) is folded at its blanks,
            // or the line would pass the hard limit
            bool blanks =
                std::memchr(quoted, ' ', length) != nullptr || std::memchr(quoted, '\t', length) != nullptr;
            if (!blanks || std::memchr(quoted, '\n', length) != nullptr ||
                std::memchr(quoted, '\r', length) != nullptr || length + 3 > wrap->limits().bytes())
                continue;
            total += wrap->append(data + start, quoted - data - start, persistent);
            total += wrap->keep(quoted, length);
            start = scanner.position();
        }
    } catch (const std::exception&) {
        // a comment or quoted string left open: the rest goes as it is
    }
    return total + wrap->append(data + start, size - start, persistent);
}

} // namespace Orvanta::Mime
