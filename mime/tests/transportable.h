// What a 7-bit transport asks of every byte and line, checked independently
// of the library's own encoders: shared by the encoding tests and the fuzz
// target.
#pragma once

#include <cstddef>
#include <string>

namespace Orvanta::Mime::Test {

// no byte above 127, no NUL, CR and LF only together, and no line over 998
// bytes
inline bool transportable(const std::string& text) {
    size_t line = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        bool crlf = c == '\r' && i + 1 < text.size() && text[i + 1] == '\n';
        if (c == '\n') {
            if (i == 0 || text[i - 1] != '\r') return false;
            line = 0;
        } else if (c == '\0' || (c == '\r' && !crlf) || static_cast<unsigned char>(c) >= 0x80) {
            return false;
        } else if (!crlf && ++line > 998) {
            return false;
        }
    }
    return true;
}

} // namespace Orvanta::Mime::Test
