#include "mime/authenticationdomainpart.h"

#include "mime/ascii.h"

#include <stdexcept>

namespace Orvanta::Mime {

AuthenticationDomainPart::AuthenticationDomainPart(const char* data, size_t size) {
    size_t length = 0;
    bool dot = false;
    while (length < size && (Ascii::isAlnum(data[length]) || data[length] == '-' || data[length] == '.')) {
        dot = dot || data[length] == '.';
        ++length;
    }
    if (!dot || data[0] == '.' || data[length - 1] == '.') throw std::runtime_error("invalid domain part");
    _text.assign(data, length);
}

} // namespace Orvanta::Mime
