#include "amqp/tcp/addressinfo.h"

#include "amqp/tcp/connectionorder.h"

#include <algorithm>
#include <cstring>
#include <netdb.h>
#include <netinet/in.h>
#include <random>
#include <stdexcept>
#include <string>

namespace AMQP {

namespace {

AddressInfo::Lookup lookupFunction = ::getaddrinfo;
AddressInfo::Release releaseFunction = ::freeaddrinfo;

// IPv4 before IPv6, each by its address bytes; other families unordered
bool before(const addrinfo* a, const addrinfo* b) {
    if (a->ai_family != b->ai_family) return a->ai_family < b->ai_family;
    if (a->ai_family == AF_INET) {
        auto x = reinterpret_cast<const sockaddr_in*>(a->ai_addr)->sin_addr.s_addr;
        auto y = reinterpret_cast<const sockaddr_in*>(b->ai_addr)->sin_addr.s_addr;
        return ntohl(x) < ntohl(y);
    }
    if (a->ai_family == AF_INET6) {
        auto& x = reinterpret_cast<const sockaddr_in6*>(a->ai_addr)->sin6_addr;
        auto& y = reinterpret_cast<const sockaddr_in6*>(b->ai_addr)->sin6_addr;
        return memcmp(&x, &y, sizeof x) < 0;
    }
    return false;
}

} // namespace

AddressInfo::AddressInfo(const char* host, uint16_t port, const ConnectionOrder& order)
    : _release(releaseFunction) {
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    int result = lookupFunction(host, std::to_string(port).c_str(), &hints, &_list);
    if (result != 0) throw std::runtime_error(gai_strerror(result));
    for (const addrinfo* entry = _list; entry != nullptr; entry = entry->ai_next)
        _entries.push_back(entry);
    reorder(order);
}

AddressInfo::~AddressInfo() {
    if (_list != nullptr) _release(_list);
}

void AddressInfo::reorder(const ConnectionOrder& order) {
    switch (order.order()) {
    case ConnectionOrder::reverse:
        reverse();
        break;
    case ConnectionOrder::random:
        shuffle();
        break;
    case ConnectionOrder::ascending:
        sort();
        break;
    case ConnectionOrder::descending:
        sort();
        reverse();
        break;
    default:
        break;
    }
}

void AddressInfo::shuffle() {
    std::random_device device;
    std::mt19937 generator(device());
    std::shuffle(_entries.begin(), _entries.end(), generator);
}

void AddressInfo::sort() {
    std::sort(_entries.begin(), _entries.end(), before);
}

void AddressInfo::reverse() {
    std::reverse(_entries.begin(), _entries.end());
}

void AddressInfo::replaceLookup(Lookup lookup, Release release) {
    lookupFunction = lookup != nullptr ? lookup : ::getaddrinfo;
    releaseFunction = release != nullptr ? release : ::freeaddrinfo;
}

} // namespace AMQP
