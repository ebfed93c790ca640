// Bytes as text for tests: hex pairs for readable comparisons and for talking
// to oracles, and back; random texts over an alphabet for the tests that try
// many inputs. Header-only.
#pragma once

#include <cctype>
#include <cstddef>
#include <random>
#include <stdexcept>
#include <string>

namespace Orvanta::Test {

// bytes as lower-case hex pairs ("000aff"), with `between` between every two
// ("00 0a ff" for a blank)
inline std::string hex(const std::string& bytes, const std::string& between = {}) {
    static const char digits[] = "0123456789abcdef";
    std::string out;
    for (unsigned char c : bytes) {
        if (!out.empty()) out += between;
        out += digits[c >> 4];
        out += digits[c & 15];
    }
    return out;
}

// the inverse of hex(), either case; blanks are skipped; anything else that
// is not a hex digit, or a digit left over at the end, throws
// std::invalid_argument
inline std::string unhex(const std::string& text) {
    std::string out;
    int pending = -1;
    for (char c : text) {
        if (c == ' ') continue;
        auto u = static_cast<unsigned char>(c);
        if (!std::isxdigit(u)) throw std::invalid_argument("not hex: " + text);
        int nibble = std::isdigit(u) ? c - '0' : std::tolower(u) - 'a' + 10;
        if (pending < 0) {
            pending = nibble;
        } else {
            out += static_cast<char>(pending << 4 | nibble);
            pending = -1;
        }
    }
    if (pending >= 0) throw std::invalid_argument("odd hex: " + text);
    return out;
}

// 0 to `longest` characters, each drawn from `alphabet`
inline std::string randomText(std::mt19937& rng, const std::string& alphabet, size_t longest) {
    std::uniform_int_distribution<size_t> length(0, longest);
    std::uniform_int_distribution<size_t> pick(0, alphabet.size() - 1);
    std::string text(length(rng), ' ');
    for (char& c : text)
        c = alphabet[pick(rng)];
    return text;
}

} // namespace Orvanta::Test
