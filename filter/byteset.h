// A set of byte values with constant-time membership, built once from the
// bytes a filter is configured with.
#pragma once

#include <array>
#include <cstddef>

namespace Orvanta::Filter {

class ByteSet {
public:
    // From a zero-terminated text: the terminating zero byte is a member too.
    static ByteSet terminated(const char* text) {
        ByteSet set;
        set._members[0] = true;
        for (; *text != '\0'; ++text)
            set._members[static_cast<unsigned char>(*text)] = true;
        return set;
    }
    // Exactly the given bytes.
    static ByteSet of(const char* data, size_t size) {
        ByteSet set;
        for (size_t i = 0; i < size; ++i)
            set._members[static_cast<unsigned char>(data[i])] = true;
        return set;
    }

    bool contains(char byte) const { return _members[static_cast<unsigned char>(byte)]; }

private:
    std::array<bool, 256> _members{};
};

// A byte counts as a character when it is ASCII or starts a UTF-8 sequence;
// continuation bytes do not.
inline bool startsCharacter(char byte) {
    return (static_cast<unsigned char>(byte) & 0xC0) != 0x80;
}

} // namespace Orvanta::Filter
