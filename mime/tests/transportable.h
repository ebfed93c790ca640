// What a 7-bit transport asks of every byte and line, checked independently
// of the library's own encoders: shared by the encoding tests and the fuzz
// target.
#pragma once

#include <cstddef>
#include <string>

namespace Orvanta::Mime::Test {

// no byte above 127 and no line over 998 bytes
inline bool transportable(const std::string& text) {
    size_t line = 0;
    for (char c : text) {
        if (c == '\r' || c == '\n')
            line = 0;
        else if (static_cast<unsigned char>(c) >= 0x80 || ++line > 998)
            return false;
    }
    return true;
}

} // namespace Orvanta::Mime::Test
