#include "filter/hexencode.h"

#include <cstring>

namespace Orvanta::Filter {

const char HexEncode::_hex[17] = "0123456789abcdef";

HexEncode::HexEncode(Result* next, const char* set) : Filter(next), _set(set) {}

bool HexEncode::allowed(char byte) const {
    // Printable ASCII decided without the locale: bytes from 0x80 never pass.
    auto value = static_cast<unsigned char>(byte);
    if (value < 0x20 || value >= 0x7f) return false;
    return _set == nullptr || std::strchr(_set, byte) == nullptr;
}

size_t HexEncode::process(const char* data, size_t size, bool persistent) {
    if (size == 0) return 0;
    size_t total = 0;
    size_t start = 0;
    for (size_t i = 0; i < size; ++i) {
        if (allowed(data[i])) continue;
        if (i > start) total += next->append(data + start, i - start, persistent);
        auto value = static_cast<unsigned char>(data[i]);
        const char escape[3] = {'%', _hex[value >> 4], _hex[value & 0x0f]};
        total += next->append(escape, sizeof escape, false);
        start = i + 1;
    }
    if (size > start) total += next->append(data + start, size - start, persistent);
    return total;
}

} // namespace Orvanta::Filter
