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
    for (size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c == '\n')
            line = 0;
        else if (static_cast<unsigned char>(c) >= 0x80)
            return false;
        // a lone CR is a byte of its line, the CR of a line end is not
        else if ((c != '\r' || (i + 1 < text.size() && text[i + 1] != '\n')) && ++line > 998)
            return false;
    }
    return true;
}

} // namespace Orvanta::Mime::Test
