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

} // namespace Orvanta::Mime
