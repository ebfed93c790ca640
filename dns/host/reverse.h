// The reverse-lookup name of an address (in-addr.arpa, ip6.arpa) and the
// address read back from one.
#pragma once

#include "dns/host/ip.h"

#include <cstddef>

namespace DNS {

class Reverse {
public:
    explicit Reverse(const Ip& address);
    // std::runtime_error "address is too long to contain an IPv4 address"
    // over 127 characters, "address is not in reverse notation" otherwise
    explicit Reverse(const char* name);

    // 4 or 6 by the name's suffix, 0 for neither
    int version() const;
    // std::runtime_error "address is not in reverse notation"
    Ip ip() const;
    size_t size() const;
    operator const char*() const { return _name; }

private:
    char _name[128];
};

} // namespace DNS
