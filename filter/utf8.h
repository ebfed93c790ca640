// Whether bytes are well-formed UTF-8, and so which charset 8-bit text is
// labelled with when it is encoded for a 7-bit transport: "utf-8" only for
// what is UTF-8, "unknown-8bit" (RFC 1428) for other bytes, which are kept.
#pragma once

#include <cstddef>
#include <cstdint>

namespace Orvanta::Filter {

class Utf8 {
public:
    // No overlong forms, surrogates or code points above U+10FFFF. `cut`:
    // the text is a window of a longer one, so a sequence its end cuts off
    // counts as well-formed.
    static bool valid(const char* data, size_t size, bool cut = false);
    // The length of the longest start of the text that is whole well-formed
    // characters.
    static size_t wellFormed(const char* data, size_t size);
    // The length of the longest start of the text in which no sequence
    // begins that would stand for a code point past U+10FFFF (F4 90 and
    // up, F5 to FF): what a lenient reader takes for characters. Other
    // ill-formed bytes may be in it.
    static size_t withinUnicode(const char* data, size_t size);
    // The length of the character that begins the text (`size` at least
    // 1): 0 when its first byte begins no character, more than `size` when
    // the end cuts off a character that is well-formed as far as it goes.
    static size_t sequence(const char* data, size_t size);
    // Writes the UTF-8 form of a code point up to U+10FFFF (one to four
    // bytes) at `out` and returns its length.
    static size_t encode(uint32_t codePoint, char* out);
    // the label of 8-bit text: "utf-8" when it is well-formed, else
    // "unknown-8bit"
    static const char* charset(bool wellFormed) { return wellFormed ? "utf-8" : "unknown-8bit"; }
};

} // namespace Orvanta::Filter
