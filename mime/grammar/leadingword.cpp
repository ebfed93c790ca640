#include "mime/grammar/leadingword.h"

#include <stdexcept>

namespace Orvanta::Mime {

void LeadingWord::skip(Scanner& text, const char* error) {
    try {
        text.skipBlanks(true);
    } catch (const std::runtime_error&) {
        throw std::runtime_error(error);
    }
}

String LeadingWord::first(const char* data, size_t size, char separator, bool& separated, bool& followed) {
    separated = false;
    followed = false;
    Scanner text(data, size);
    try {
        text.skipBlanks(true);
    } catch (const std::runtime_error&) {
        return String();
    }
    auto loose = [](char c) { return Ascii::isToken(c) || !Ascii::isAscii(c); };
    const char* begin = text.here();
    size_t length = text.skipWhile(loose);
    if (length == 0) return String();
    // a broken comment after the token ends what follows it, not the token
    try {
        text.skipBlanks(true);
        separated = text.take(separator);
        if (separated) {
            text.skipBlanks(true);
            followed = text.atOne(loose);
        }
    } catch (const std::runtime_error&) {
    }
    return String(begin, length);
}

} // namespace Orvanta::Mime
