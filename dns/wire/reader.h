// The one way the resolver reads wire bytes: every read is checked against
// the end of the message, and names are expanded with their compression
// pointers followed only backwards, so no input can loop or overrun.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace DNS {

class Reader {
public:
    // A name has at most 127 labels, so a name that needs more compression
    // pointers than that is a chain built to cost time, not a name.
    static constexpr size_t maxPointers = 127;

    Reader(const unsigned char* data, size_t size, size_t position = 0)
        : _data(data), _size(size), _position(position) {}

    size_t position() const { return _position; }
    size_t remaining() const { return _position < _size ? _size - _position : 0; }

    // std::runtime_error "truncated dns message" past the end
    uint8_t u8();
    uint16_t u16();
    uint32_t u32();
    // the next `count` bytes, stepped over
    const unsigned char* bytes(size_t count);
    void skip(size_t count) { bytes(count); }

    // The domain name at the position in presentation form ("" for the
    // root; '.', '\' and unprintable bytes of a label escaped), the
    // position left after the name's own bytes. A bad label, a pointer that
    // does not point backwards or a name over 255 bytes is
    // std::runtime_error "failed to decompress name".
    std::string name();

private:
    const unsigned char* _data;
    size_t _size;
    size_t _position;
};

} // namespace DNS
