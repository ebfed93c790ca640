#include "mime/grammar/digit.h"

#include "mime/grammar/ascii.h"
#include "mime/grammar/scanner.h"

#include <string>

namespace Orvanta::Mime {

Digit::Digit(const char* data, size_t size) {
    Scanner scanner(data, size);
    _consumed = scanner.skipWhile(Ascii::isDigit);
    if (_consumed > 0) _value = std::stoi(std::string(data, _consumed));
}

} // namespace Orvanta::Mime
