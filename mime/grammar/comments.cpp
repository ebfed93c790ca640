#include "mime/grammar/comments.h"

#include "filter/mimeheaderencode.h"
#include "filter/mimeheaderencoding.h"
#include "filter/result.h"
#include "filter/string.h"
#include "mime/grammar/ascii.h"
#include "mime/grammar/capabilities.h"
#include "mime/grammar/comment.h"
#include "mime/grammar/quotedstring.h"
#include "mime/grammar/scanner.h"

#include <cstring>
#include <stdexcept>

namespace Orvanta::Mime {

namespace {

bool ascii(const std::string& text) {
    for (char c : text)
        if (!Ascii::isAscii(c)) return false;
    return true;
}

// A comment of 8-bit text for a 7-bit transport: its text, escapes undone,
// as encoded words (RFC 2047 section 5(2) allows them in comments), in
// brackets again. The words are made as for a phrase, which never leaves a
// bracket or a backslash raw, so the brackets stay balanced.
std::string encoded(const std::string& comment) {
    std::string text;
    for (size_t i = 1; i + 1 < comment.size(); ++i) {
        if (comment[i] == '\\' && i + 2 < comment.size()) ++i;
        text += comment[i];
    }
    std::string out = "(";
    {
        Filter::String sink(&out);
        Filter::MimeHeaderEncode encoder(
            1, 2147483647, Filter::MimeHeaderEncoding(Filter::MimeHeaderEncoding::phrase), &sink);
        encoder.process(text.data(), text.size(), false);
    }
    return out + ")";
}

// Steps to the '(' of the next comment, over quoted strings and domain
// literals, in which a '(' opens none; false at the end of the text.
bool toComment(Scanner& scanner) {
    while (!scanner.atEnd()) {
        if (scanner.at('"')) {
            scanner.advance(QuotedString(scanner.here(), scanner.left()).consumed());
        } else if (scanner.take('[')) {
            while (!scanner.atEnd() && !scanner.at(']'))
                if (scanner.next() == '\\' && !scanner.atEnd()) scanner.advance(1);
        } else if (scanner.at('(')) {
            return true;
        } else {
            scanner.advance(1);
        }
    }
    return false;
}

} // namespace

bool Comments::any(const char* data, size_t size) {
    // most texts have no bracket at all
    if (size == 0 || std::memchr(data, '(', size) == nullptr) return false;
    Scanner scanner(data, size);
    try {
        return toComment(scanner);
    } catch (const std::exception&) {
        // a quoted string left open: what it hides is not known
        return true;
    }
}

void Comments::collect(const char* data, size_t from, size_t to) {
    Scanner scanner(data, to);
    scanner.advance(from);
    while (toComment(scanner)) {
        size_t length = Comment(scanner.here(), scanner.left()).consumed();
        const char* comment = scanner.here();
        std::string text;
        for (size_t i = 0; i < length; ++i) {
            char c = comment[i];
            if (c == '\r' || c == '\n') continue;
            if (c == '\\') {
                // a backslash is never the last byte of a comment
                char escaped = comment[++i];
                // an escaped line end (the obsolete quoted-pair) goes with
                // its backslash, which would escape the next byte instead:
                // the closing ')' perhaps
                if (escaped == '\r' || escaped == '\n') continue;
                text += c;
                c = escaped;
            }
            text += c;
        }
        _texts.push_back(text);
        scanner.advance(length);
    }
}

size_t Comments::encode(const Capabilities& caps, Filter::Result* out) const {
    size_t written = 0;
    for (const std::string& comment : _texts) {
        std::string text = caps.eightbit() || ascii(comment) ? comment : encoded(comment);
        written += out->append(" ", 1, true);
        written += out->append(text.data(), text.size(), false);
    }
    return written;
}

} // namespace Orvanta::Mime
