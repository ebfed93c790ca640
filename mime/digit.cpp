#include "mime/digit.h"

#include "mime/ascii.h"

#include <string>

namespace Orvanta::Mime {

Digit::Digit(const char* data, size_t size) {
    while (_consumed < size && Ascii::isDigit(data[_consumed]))
        ++_consumed;
    if (_consumed > 0) _value = std::stoi(std::string(data, _consumed));
}

} // namespace Orvanta::Mime
