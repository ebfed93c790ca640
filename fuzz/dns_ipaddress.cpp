// Arbitrary text read as an IP address (and the addresses found put through
// printing, ordering and arithmetic) and as a host name, strict and lenient;
// the first two bytes also make a network prefix.
#include "dns/host/exception.h"
#include "dns/host/hostname.h"
#include "dns/host/ip.h"
#include "dns/host/ipaddress.h"
#include "dns/host/ipmask.h"
#include "dns/host/printable.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <stdexcept>
#include <string>
#include <utility>

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

void exercise(const Orvanta::Dns::Hostname& name) {
    // the ASCII form is ASCII whatever the input was
    for (const char* c = name.ascii(); c && *c; ++c)
        if (static_cast<unsigned char>(*c) >= 0x80) std::abort();
    Orvanta::Dns::Hostname copy(name);
    if (std::strcmp(copy.ascii(), name.ascii()) != 0 || std::strcmp(copy.unicode(), name.unicode()) != 0)
        std::abort();
    Orvanta::Dns::Hostname other("example.com", false);
    other = copy;
    other = std::move(copy);
    if (copy.ascii() || std::strcmp(other.ascii(), name.ascii()) != 0) std::abort();
    // malformed names may or may not contain each other; only reading them counts
    (void)other.contains(name);
    (void)name.contains(Orvanta::Dns::Hostname("example.com", false));
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
    for (bool strict : {false, true}) {
        try {
            Orvanta::Dns::Hostname name(text.c_str(), strict);
            exercise(name);
        } catch (const std::runtime_error&) {
            // IdnException: libidn refused the name
        }
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
