#include "filter/utf8.h"

namespace Orvanta::Filter {

bool Utf8::valid(const char* data, size_t size, bool cut) {
    auto byte = [data](size_t i) { return static_cast<unsigned char>(data[i]); };
    for (size_t i = 0; i < size;) {
        unsigned char lead = byte(i);
        if (lead < 0x80) {
            ++i;
            continue;
        }
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
            return false;
        }
        for (size_t k = 1; k < length; ++k) {
            if (i + k == size) return cut;
            unsigned char next = byte(i + k);
            if (k == 1 ? (next < low || next > high) : (next < 0x80 || next > 0xbf)) return false;
        }
        i += length;
    }
    return true;
}

} // namespace Orvanta::Filter
