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

String LeadingWord::first(const char* data, size_t size, char separator) {
    Scanner text(data, size);
    try {
        text.skipBlanks(true);
    } catch (const std::runtime_error&) {
        return String();
    }
    const char* begin = text.here();
    auto any = [](char) {};
    return String(begin, take(text, separator, any));
}

} // namespace Orvanta::Mime
