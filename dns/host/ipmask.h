// A network prefix: an IP version and the number of leading one bits.
#pragma once

#include <cstdint>

namespace Orvanta::Dns {

class IpMask {
public:
    IpMask(uint8_t version, uint8_t bits) : _version(version), _bits(bits) {}

    uint8_t version() const { return _version; }
    uint8_t bits() const { return _bits; }

private:
    uint8_t _version;
    uint8_t _bits;
};

} // namespace Orvanta::Dns
