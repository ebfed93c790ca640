#include "dns/host/reverse.h"

#include <cctype>
#include <cstdio>
#include <cstring>
#include <stdexcept>
#include <string>
#include <strings.h>

namespace DNS {

namespace {

bool endsWith(const char* name, size_t length, const char* suffix) {
    size_t n = std::strlen(suffix);
    return length > n && strcasecmp(name + length - n, suffix) == 0;
}

[[noreturn]] void notReverse() {
    throw std::runtime_error("address is not in reverse notation");
}

int nibble(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    c = char(std::tolower((unsigned char)c));
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

} // namespace

Reverse::Reverse(const Ip& address) {
    const unsigned char* b = address.data();
    if (address.version() == 4) {
        std::snprintf(_name, sizeof _name, "%u.%u.%u.%u.in-addr.arpa", b[3], b[2], b[1], b[0]);
        return;
    }
    char* p = _name;
    for (int i = 15; i >= 0; --i) {
        p += std::sprintf(p, "%x.%x.", b[i] & 0x0f, b[i] >> 4);
    }
    std::strcpy(p, "ip6.arpa");
}

Reverse::Reverse(const char* name) {
    size_t length = std::strlen(name);
    if (length > 127) throw std::runtime_error("address is too long to contain an IPv4 address");
    std::memcpy(_name, name, length + 1);
    if (version() == 0) notReverse();
}

size_t Reverse::size() const {
    return std::strlen(_name);
}

int Reverse::version() const {
    size_t length = size();
    if (length > 13 && endsWith(_name, length, ".in-addr.arpa")) return 4;
    if (length > 9 && endsWith(_name, length, ".ip6.arpa")) return 6;
    return 0;
}

Ip Reverse::ip() const {
    size_t length = size();
    if (version() == 4) {
        unsigned parts[4];
        int used = 0;
        std::string text(_name, length - 13);
        if (std::sscanf(text.c_str(), "%3u.%3u.%3u.%3u%n", &parts[3], &parts[2], &parts[1], &parts[0],
                        &used) != 4 ||
            size_t(used) != text.size())
            notReverse();
        in_addr address{};
        unsigned char* b = reinterpret_cast<unsigned char*>(&address);
        for (int i = 0; i < 4; ++i) {
            if (parts[i] > 255) notReverse();
            b[i] = (unsigned char)parts[i];
        }
        return Ip(address);
    }
    if (version() != 6 || length - 9 != 63) notReverse();
    in6_addr address{};
    for (int i = 0; i < 32; ++i) {
        int value = nibble(_name[2 * i]);
        if (value < 0 || _name[2 * i + 1] != '.') notReverse();
        int byte = 15 - i / 2;
        address.s6_addr[byte] |= (unsigned char)(i % 2 == 0 ? value : value << 4);
    }
    return Ip(address);
}

} // namespace DNS
