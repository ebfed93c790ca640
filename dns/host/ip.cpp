#include "dns/host/ip.h"

#include "dns/host/printable.h"

#include <arpa/inet.h>
#include <cstring>
#include <netdb.h>
#include <ostream>
#include <stdexcept>
#include <sys/socket.h>

namespace DNS {

bool isv4mapped(const in6_addr& address) {
    static const unsigned char prefix[12] = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0xff, 0xff};
    return std::memcmp(address.s6_addr, prefix, sizeof prefix) == 0;
}

Ip::Ip(const in_addr* address) : Ip(*address) {}

Ip::Ip(const in_addr& address) : _version(4) {
    _address.v4 = address;
}

Ip::Ip(const in6_addr* address) : Ip(*address) {}

Ip::Ip(const in6_addr& address) {
    assign(address);
}

Ip::Ip(const sockaddr* address) {
    switch (address->sa_family) {
    case AF_INET:
        _version = 4;
        _address.v4 = reinterpret_cast<const sockaddr_in*>(address)->sin_addr;
        break;
    case AF_INET6:
        assign(reinterpret_cast<const sockaddr_in6*>(address)->sin6_addr);
        break;
    default:
        throw std::runtime_error("wrong type");
    }
}

Ip::Ip(const char* text) {
    addrinfo hints{};
    hints.ai_flags = AI_NUMERICHOST;
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* list = nullptr;
    if (getaddrinfo(text, nullptr, &hints, &list) != 0) {
        if (list) freeaddrinfo(list);
        throw std::runtime_error("invalid IP address supplied");
    }
    const sockaddr* first = list->ai_addr;
    if (first->sa_family == AF_INET || first->sa_family == AF_INET6) {
        *this = Ip(first);
        freeaddrinfo(list);
        return;
    }
    freeaddrinfo(list);
    throw std::runtime_error("wrong IP protocol version supplied");
}

Ip& Ip::operator=(const in6_addr* address) {
    assign(*address);
    return *this;
}

void Ip::assign(const in6_addr& address) {
    _address = Bytes{};
    _version = 6;
    _address.v6 = address;
    fold();
}

void Ip::fold() {
    if (_version != 6 || !isv4mapped(_address.v6)) return;
    unsigned char v4[4];
    std::memcpy(v4, _address.bytes + 12, 4);
    _address = Bytes{};
    std::memcpy(_address.bytes, v4, 4);
    _version = 4;
}

int Ip::compare(const Ip& other) const {
    if (this == &other) return 0;
    if (_version != other._version) return int(_version) - int(other._version);
    return std::memcmp(_address.bytes, other._address.bytes, size());
}

Ip Ip::operator~() const {
    Ip result(*this);
    for (size_t i = 0; i < size(); ++i)
        result._address.bytes[i] = ~_address.bytes[i];
    result.fold();
    return result;
}

Ip& Ip::operator|=(const Ip& other) {
    if (_version != other._version) return *this;
    for (size_t i = 0; i < size(); ++i)
        _address.bytes[i] |= other._address.bytes[i];
    fold();
    return *this;
}

Ip& Ip::operator&=(const Ip& other) {
    if (_version != other._version) return *this;
    for (size_t i = 0; i < size(); ++i)
        _address.bytes[i] &= other._address.bytes[i];
    fold();
    return *this;
}

std::ostream& operator<<(std::ostream& stream, const Ip& ip) {
    return stream << Printable(ip);
}

} // namespace DNS
