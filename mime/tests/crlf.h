// Test helper: a text with its line ends as the writer makes them: every line
// feed gets its CR (a lone CR ends no line and stays one).
#pragma once

#include <string>

namespace Orvanta::Mime::Test {

// `ended`: and ending with CR LF, as a written message or header line does
inline std::string crlf(const std::string& text, bool ended = false) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r')) out += '\r';
        out += text[i];
    }
    if (ended && (out.empty() || out.back() != '\n')) out += "\r\n";
    return out;
}

} // namespace Orvanta::Mime::Test
