#include "mime/digit.h"

#include "mime/ascii.h"
#include "mime/scanner.h"

#include <string>

namespace Orvanta::Mime {

Digit::Digit(const char* data, size_t size) {
    Scanner scanner(data, size);
    _consumed = scanner.skipWhile(Ascii::isDigit);
    if (_consumed > 0) _value = std::stoi(std::string(data, _consumed));
}

} // namespace Orvanta::Mime
