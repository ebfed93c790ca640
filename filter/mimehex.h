// One "=XX" escape as quoted-printable text and RFC 2047 "Q" words write a
// byte: the equals sign and two upper-case hex digits.
#pragma once

#include <array>
#include <cstddef>

namespace Orvanta::Filter {

// The upper-case digit alphabet of "=XX" escapes.
extern const char hexChars[17];
// The value of a hex digit (either case), indexed by the byte's unsigned
// value; every byte that is not a hex digit maps to 0x40.
extern const std::array<unsigned char, 256> hexTable;

// True for the bytes 0-9, A-F and a-f.
inline bool isHexDigit(char c) {
    return hexTable[static_cast<unsigned char>(c)] < 16;
}

class MimeHex {
public:
    // The escape of one byte.
    explicit MimeHex(char byte);
    // An escape read from text: the two characters after an "=".
    MimeHex(char high, char low) : _chars{'=', high, low} {}

    const char* data() const { return _chars; }
    static constexpr size_t size() { return 3; }

    // The byte the two digits stand for; a non-digit counts as 0x40, so only
    // escapes whose digits passed isHexDigit() give a meaningful byte.
    char byte() const;

private:
    char _chars[3];
};

} // namespace Orvanta::Filter
