#include "filter/utf8.h"

#include <cstdint>
#include <cstring>

namespace Orvanta::Filter {

bool Utf8::valid(const char* data, size_t size, bool cut) {
    size_t good = wellFormed(data, size);
    return good == size || (cut && sequence(data + good, size - good) > size - good);
}

size_t Utf8::wellFormed(const char* data, size_t size) {
    size_t i = 0;
    while (i < size) {
        // Mail text is mostly ASCII: eight bytes at a time while it lasts.
        uint64_t word;
        if (size - i >= sizeof word) {
            std::memcpy(&word, data + i, sizeof word);
            if ((word & 0x8080808080808080u) == 0) {
                i += sizeof word;
                continue;
            }
        }
        if (static_cast<unsigned char>(data[i]) < 0x80) {
            ++i;
            continue;
        }
        size_t length = sequence(data + i, size - i);
        if (length == 0 || length > size - i) break;
        i += length;
    }
    return i;
}

size_t Utf8::withinUnicode(const char* data, size_t size) {
    size_t i = 0;
    while (i < size) {
        // Such bytes are rare in text: eight at a time until one comes. A
        // byte from F4 up has its top bit set and its low seven bits plus
        // 0C carry into the top bit, without reaching the next byte.
        uint64_t word;
        if (size - i >= sizeof word) {
            std::memcpy(&word, data + i, sizeof word);
            if ((((word & 0x7f7f7f7f7f7f7f7fu) + 0x0c0c0c0c0c0c0c0cu) & word & 0x8080808080808080u) == 0) {
                i += sizeof word;
                continue;
            }
        }
        auto byte = static_cast<unsigned char>(data[i]);
        if (byte >= 0xf5 || (byte == 0xf4 && i + 1 < size && static_cast<unsigned char>(data[i + 1]) >= 0x90))
            break;
        ++i;
    }
    return i;
}

size_t Utf8::sequence(const char* data, size_t size) {
    auto byte = [data](size_t i) { return static_cast<unsigned char>(data[i]); };
    unsigned char lead = byte(0);
    if (lead < 0x80) return 1;
    size_t length;
    // the range of the second byte, which rules out overlong forms,
    // surrogates and code points past U+10FFFF
    unsigned char low = 0x80, high = 0xbf;
    if (lead >= 0xc2 && lead <= 0xdf) {
        length = 2;
    } else if (lead >= 0xe0 && lead <= 0xef) {
        length = 3;
        if (lead == 0xe0) low = 0xa0;
        if (lead == 0xed) high = 0x9f;
    } else if (lead >= 0xf0 && lead <= 0xf4) {
        length = 4;
        if (lead == 0xf0) low = 0x90;
        if (lead == 0xf4) high = 0x8f;
    } else {
        return 0;
    }
    for (size_t k = 1; k < length; ++k) {
        if (k == size) return length;
        unsigned char next = byte(k);
        if (k == 1 ? (next < low || next > high) : (next < 0x80 || next > 0xbf)) return 0;
    }
    return length;
}

size_t Utf8::encode(uint32_t codePoint, char* out) {
    auto put = [out](size_t i, uint32_t byte) { out[i] = static_cast<char>(byte); };
    if (codePoint < 0x80) {
        put(0, codePoint);
        return 1;
    }
    size_t length = codePoint < 0x800 ? 2 : codePoint < 0x10000 ? 3 : 4;
    for (size_t i = length - 1; i > 0; --i, codePoint >>= 6)
        put(i, 0x80 | (codePoint & 0x3f));
    // the lead byte: as many top bits set as there are bytes
    put(0, (0xf00u >> length & 0xff) | codePoint);
    return length;
}

} // namespace Orvanta::Filter
