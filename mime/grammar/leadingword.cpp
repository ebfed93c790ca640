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

String LeadingWord::first(const char* data, size_t size, char separator, bool& separated) {
    separated = false;
    Scanner text(data, size);
    try {
        text.skipBlanks(true);
        const char* begin = text.here();
        size_t length = text.skipWhile(Ascii::isToken);
        if (length == 0) return String();
        text.skipBlanks(true);
        separated = text.at(separator);
        return String(begin, length);
    } catch (const std::runtime_error&) {
        return String();
    }
}

} // namespace Orvanta::Mime
