// Arbitrary text read as an IP address (and the addresses found put through
// printing, ordering and arithmetic); the first two bytes also make a
// network prefix.
#include "dns/exception.h"
#include "dns/ip.h"
#include "dns/ipaddress.h"
#include "dns/ipmask.h"
#include "dns/printable.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <stdexcept>
#include <string>

namespace {

void exercise(const DNS::Ip& ip) {
    DNS::Printable text(ip);
    if (text.size() != std::strlen(text.data()) || text.size() > 45) std::abort();
    // whatever prints must read back as the same address
    DNS::Ip again(text.data());
    if (again.compare(ip) != 0) std::abort();
    DNS::Ip inverse = ~ip;
    if (inverse.version() == ip.version() && inverse.compare(ip) == 0) std::abort();
    Orvanta::Dns::IpAddress next(text.data(), false);
    ++next;
    // stepping into ::ffff:0:0/96 turns the address into IPv4, which orders
    // before every IPv6 address
    if (next.version() == ip.version() && next < ip) std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string text(reinterpret_cast<const char*>(data), size);
    try {
        exercise(DNS::Ip(text.c_str()));
    } catch (const std::runtime_error&) {
        // most texts are no address: refusing them is the expected outcome
    }
    try {
        exercise(Orvanta::Dns::IpAddress(text.c_str(), false));
    } catch (const Orvanta::Dns::GaiException&) {
        // as above
    }
    if (size >= 2) {
        try {
            exercise(Orvanta::Dns::IpAddress(Orvanta::Dns::IpMask(data[0], data[1])));
        } catch (const std::runtime_error&) {
            // a version other than 4 or 6, or too many bits, is refused
        }
    }
    return 0;
}
