#include "dns/host/ipaddress.h"

#include "dns/host/exception.h"
#include "dns/host/ipmask.h"

#include <netdb.h>
#include <stdexcept>
#include <sys/socket.h>

namespace Orvanta::Dns {

IpAddress::IpAddress(const char* text, bool resolve) : DNS::Ip(in_addr{}) {
    addrinfo hints{};
    hints.ai_flags = resolve ? 0 : AI_NUMERICHOST;
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* list = nullptr;
    int result = getaddrinfo(text, nullptr, &hints, &list);
    if (result != 0) throw GaiException(result, list);
    const sockaddr* first = list->ai_addr;
    if (first->sa_family != AF_INET && first->sa_family != AF_INET6) throw GaiException(EAI_FAMILY, list);
    DNS::Ip::operator=(DNS::Ip(first));
    freeaddrinfo(list);
}

IpAddress::IpAddress(const IpMask& mask) : DNS::Ip(in_addr{}) {
    unsigned width;
    switch (mask.version()) {
    case 4:
        width = 32;
        break;
    case 6:
        width = 128;
        break;
    default:
        throw std::runtime_error("invalid ip version");
    }
    // a longer prefix would read as a shift past the address
    if (mask.bits() > width) throw std::runtime_error("invalid prefix length");
    _version = mask.version();
    unsigned remaining = mask.bits();
    for (unsigned i = 0; i < width / 8 && remaining > 0; ++i) {
        unsigned take = remaining < 8 ? remaining : 8;
        _address.bytes[i] = static_cast<unsigned char>(0xff00u >> take);
        remaining -= take;
    }
    // No fold: a netmask with ones in bytes 10 and 11 has ones in bytes 0 to 9
    // as well, so it never looks IPv4-mapped.
}

IpAddress& IpAddress::operator++() {
    size_t count = size();
    bool allOnes = count > 0;
    for (size_t i = 0; i < count; ++i)
        allOnes = allOnes && _address.bytes[i] == 0xff;
    if (allOnes) return *this;
    for (size_t i = count; i-- > 0;) {
        if (++_address.bytes[i] != 0) break;
    }
    fold();
    return *this;
}

IpAddress IpAddress::operator++(int) {
    IpAddress before(*this);
    ++*this;
    return before;
}

} // namespace Orvanta::Dns
