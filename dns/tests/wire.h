// Builds DNS messages byte by byte for the tests, the way a server would
// write them.
#pragma once

#include "dns/wire/message.h"

#include <cstdint>
#include <string>

namespace Orvanta::Test {

class Wire {
public:
    Wire& u8(unsigned value) {
        bytes += char(value);
        return *this;
    }
    Wire& u16(unsigned value) { return u8(value >> 8).u8(value & 0xff); }
    Wire& u32(uint32_t value) { return u16(value >> 16).u16(value & 0xffff); }
    Wire& raw(const std::string& data) {
        bytes += data;
        return *this;
    }
    // labels without compression: "a.b" is 1 a 1 b 0
    Wire& name(const std::string& name);
    // a character-string: its length byte and its bytes
    Wire& text(const std::string& text) { return u8(text.size()).raw(text); }
    // a header: id, flags, counts
    Wire& header(unsigned id, unsigned flags, unsigned qd, unsigned an, unsigned ns = 0, unsigned ar = 0) {
        return u16(id).u16(flags).u16(qd).u16(an).u16(ns).u16(ar);
    }
    // owner, type, class IN, TTL 60 and the data with its length
    Wire& record(const std::string& owner, unsigned type, const std::string& data) {
        return name(owner).u16(type).u16(1).u32(60).u16(data.size()).raw(data);
    }

    DNS::Response response() const {
        return DNS::Response(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size());
    }

    std::string bytes;
};

inline Wire& Wire::name(const std::string& name) {
    size_t at = 0;
    while (at < name.size()) {
        size_t dot = name.find('.', at);
        if (dot == std::string::npos) dot = name.size();
        text(name.substr(at, dot - at));
        at = dot + 1;
    }
    return u8(0);
}

// a character-string of each piece
inline std::string strings(std::initializer_list<std::string> pieces) {
    Wire wire;
    for (const std::string& piece : pieces)
        wire.text(piece);
    return wire.bytes;
}

} // namespace Orvanta::Test
