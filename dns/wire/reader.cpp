#include "dns/wire/reader.h"

#include <stdexcept>

namespace DNS {

namespace {

[[noreturn]] void truncated() {
    throw std::runtime_error("truncated dns message");
}
[[noreturn]] void badName() {
    throw std::runtime_error("failed to decompress name");
}

void appendLabel(std::string& out, const unsigned char* label, size_t length) {
    for (size_t i = 0; i < length; ++i) {
        unsigned char c = label[i];
        if (c == '.' || c == '\\') {
            out += '\\';
            out += char(c);
        } else if (c <= ' ' || c >= 0x7f) {
            char escaped[5] = {'\\', char('0' + c / 100), char('0' + c / 10 % 10), char('0' + c % 10), 0};
            out += escaped;
        } else {
            out += char(c);
        }
    }
}

} // namespace

uint8_t Reader::u8() {
    return *bytes(1);
}

uint16_t Reader::u16() {
    const unsigned char* p = bytes(2);
    return uint16_t(p[0] << 8 | p[1]);
}

uint32_t Reader::u32() {
    const unsigned char* p = bytes(4);
    return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3];
}

const unsigned char* Reader::bytes(size_t count) {
    if (count > remaining()) truncated();
    const unsigned char* result = _data + _position;
    _position += count;
    return result;
}

std::string Reader::name() {
    std::string out;
    size_t at = _position;
    size_t after = 0; // where the name's own bytes end, once a pointer was taken
    size_t wire = 1;  // the root's zero byte
    size_t pointers = 0;
    for (;;) {
        if (at >= _size) badName();
        unsigned length = _data[at];
        if (length == 0) {
            ++at;
            break;
        }
        if ((length & 0xc0) == 0xc0) {
            if (at + 1 >= _size) badName();
            size_t target = (length & 0x3f) << 8 | _data[at + 1];
            // strictly backwards: every jump shortens the road, so no loop
            if (target >= at || ++pointers > maxPointers) badName();
            if (after == 0) after = at + 2;
            at = target;
            continue;
        }
        if (length & 0xc0) badName();
        if (at + 1 + length > _size) badName();
        wire += length + 1;
        if (wire > 255) badName();
        if (!out.empty()) out += '.';
        appendLabel(out, _data + at + 1, length);
        at += 1 + length;
    }
    _position = after ? after : at;
    return out;
}

} // namespace DNS
