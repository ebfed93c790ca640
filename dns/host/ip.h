// An IPv4 or IPv6 address as the resolver passes it around; IPv4-mapped
// IPv6 addresses are always kept as IPv4.
#pragma once

#include <cstddef>
#include <cstdint>
#include <iosfwd>
#include <netinet/in.h>

struct sockaddr;

namespace DNS {

// Whether the address is ::ffff:a.b.c.d (ten zero bytes, two 0xff bytes).
bool isv4mapped(const in6_addr& address);

class Ip {
public:
    explicit Ip(const in_addr* address);
    Ip(const in_addr& address);
    explicit Ip(const in6_addr* address);
    Ip(const in6_addr& address);
    // AF_INET or AF_INET6 only, else std::runtime_error "wrong type"
    explicit Ip(const sockaddr* address);
    // numeric text only, never a host name
    explicit Ip(const char* text);
    Ip(const Ip& that) = default;
    Ip& operator=(const Ip& that) = default;
    virtual ~Ip() = default;

    Ip& operator=(const in6_addr* address);

    // 4, 6, or 0 when not set
    uint8_t version() const { return _version; }
    const unsigned char* data() const { return _address.bytes; }
    size_t size() const { return _version == 4 ? 4 : _version == 6 ? 16 : 0; }

    operator const in_addr&() const { return _address.v4; }
    operator const in6_addr&() const { return _address.v6; }
    operator const in_addr*() const { return &_address.v4; }
    operator const in6_addr*() const { return &_address.v6; }

    // Every IPv4 address orders before every IPv6 address; within a
    // version the bytes decide.
    int compare(const Ip& other) const;
    bool operator<(const Ip& other) const { return compare(other) < 0; }
    bool operator!=(const Ip& other) const { return compare(other) != 0; }

    Ip operator~() const;
    // Byte-wise on addresses of the same version; otherwise nothing changes.
    Ip& operator|=(const Ip& other);
    Ip& operator&=(const Ip& other);

protected:
    void assign(const in6_addr& address);
    // Keeps the invariant after the bytes of an IPv6 address were changed.
    void fold();

    uint8_t _version = 0;
    // bytes first, so that {} clears all sixteen
    union Bytes {
        unsigned char bytes[16];
        in_addr v4;
        in6_addr v6;
    } _address{};
};

std::ostream& operator<<(std::ostream& stream, const Ip& ip);

} // namespace DNS
