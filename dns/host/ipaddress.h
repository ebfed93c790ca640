// An IP address read from text (numeric, or a host name the system
// resolver looks up on request) or made from a network prefix.
#pragma once

#include "dns/host/ip.h"

namespace Orvanta::Dns {

class IpMask;

class IpAddress : public DNS::Ip {
public:
    // Failures are GaiException; `resolve` lets the system resolver look up
    // a host name instead of requiring numeric text.
    IpAddress(const char* text, bool resolve);
    // The netmask of the prefix; a version other than 4 or 6, or more bits
    // than the version has, is a std::runtime_error.
    explicit IpAddress(const IpMask& mask);

    // One higher in numeric order; the all-ones address stays.
    IpAddress& operator++();
    IpAddress operator++(int);
};

} // namespace Orvanta::Dns
