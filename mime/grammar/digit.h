// A run of decimal digits and its value; a value outside int throws
// std::out_of_range.
#pragma once

#include <cstddef>

namespace Orvanta::Mime {

class Digit {
public:
    Digit(const char* data, size_t size);

    int value() const { return _value; }
    size_t consumed() const { return _consumed; }

private:
    int _value = 0;
    size_t _consumed = 0;
};

} // namespace Orvanta::Mime
