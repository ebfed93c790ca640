#include "mime/authentication/authenticationdomainpart.h"

#include "mime/grammar/ascii.h"
#include "mime/grammar/scanner.h"

#include <stdexcept>

namespace Orvanta::Mime {

AuthenticationDomainPart::AuthenticationDomainPart(const char* data, size_t size) {
    bool dot = false;
    size_t length = Scanner(data, size).skipWhile([&dot](char c) {
        dot = dot || c == '.';
        return Ascii::isAlnum(c) || c == '-' || c == '.';
    });
    // with a dot the text is not empty
    if (!dot || data[0] == '.' || data[length - 1] == '.') throw std::runtime_error("invalid domain part");
    _text.assign(data, length);
}

} // namespace Orvanta::Mime
