// Error recovery: the extent of a malformed item up to the next stop byte,
// stepping over quoted strings and comments whole. Never throws.
#pragma once

#include <cstddef>

namespace Orvanta::Mime {

class Mess {
public:
    // `stops` is a zero-terminated set; a zero byte in the text also stops
    Mess(const char* data, size_t size, const char* stops);

    size_t consumed() const { return _consumed; }

private:
    size_t _consumed = 0;
};

} // namespace Orvanta::Mime
