#include "mime/leadingword.h"

#include <stdexcept>

namespace Orvanta::Mime {

void LeadingWord::skipToSemicolon(Scanner& text, char const* error) {
    try {
        text.skipBlanks(true);
    } catch (std::runtime_error const&) {
        throw std::runtime_error(error);
    }
    if (!text.atEnd() && !text.take(';')) throw std::runtime_error(error);
}

} // namespace Orvanta::Mime
