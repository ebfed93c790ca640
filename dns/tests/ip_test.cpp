// DNS::Ip and DNS::Printable: construction from every source, folding of
// IPv4-mapped addresses, ordering, bit operations and the text form.
#include "dns/host/ip.h"
#include "dns/host/printable.h"

#include <arpa/inet.h>
#include <cstring>
#include <gtest/gtest.h>
#include <sstream>
#include <stdexcept>
#include <string>
#include <sys/socket.h>
#include <sys/un.h>

using DNS::Ip;
using DNS::Printable;

namespace {

std::string text(const Ip& ip) {
    std::ostringstream out;
    out << ip;
    return out.str();
}

in6_addr v6(const char* text) {
    in6_addr address{};
    EXPECT_EQ(inet_pton(AF_INET6, text, &address), 1) << text;
    return address;
}

in_addr v4(const char* text) {
    in_addr address{};
    EXPECT_EQ(inet_pton(AF_INET, text, &address), 1) << text;
    return address;
}

template <typename F>
std::string errorOf(F&& f) {
    try {
        f();
    } catch (const std::runtime_error& error) {
        return error.what();
    }
    return "no exception";
}

} // namespace

TEST(Ip, FromIpv4Structures) {
    in_addr address = v4("192.0.2.1");
    Ip byReference(address), byPointer(&address);
    for (const Ip* ip : {&byReference, &byPointer}) {
        EXPECT_EQ(ip->version(), 4);
        EXPECT_EQ(ip->size(), 4u);
        EXPECT_EQ(std::memcmp(ip->data(), &address, 4), 0);
        EXPECT_EQ(text(*ip), "192.0.2.1");
    }
}

TEST(Ip, FromIpv6StructuresFoldsMappedAddresses) {
    in6_addr plain = v6("2001:db8::1");
    Ip ip(plain);
    EXPECT_EQ(ip.version(), 6);
    EXPECT_EQ(ip.size(), 16u);
    EXPECT_EQ(std::memcmp(ip.data(), &plain, 16), 0);

    in6_addr mapped = v6("::ffff:192.0.2.7");
    EXPECT_TRUE(DNS::isv4mapped(mapped));
    for (const Ip& folded : {Ip(mapped), Ip(&mapped)}) {
        EXPECT_EQ(folded.version(), 4);
        EXPECT_EQ(folded.size(), 4u);
        EXPECT_EQ(text(folded), "192.0.2.7");
        // the bytes behind the IPv4 address are cleared
        const in6_addr& whole = folded;
        for (int i = 4; i < 16; ++i)
            EXPECT_EQ(whole.s6_addr[i], 0) << i;
    }
}

TEST(Ip, MappedShapeIsExact) {
    EXPECT_FALSE(DNS::isv4mapped(v6("::1")));
    EXPECT_FALSE(DNS::isv4mapped(v6("::192.0.2.1"))); // IPv4-compatible, not mapped
    EXPECT_FALSE(DNS::isv4mapped(v6("::fffe:192.0.2.1")));
    EXPECT_FALSE(DNS::isv4mapped(v6("1::ffff:192.0.2.1")));
    EXPECT_FALSE(DNS::isv4mapped(v6("::ffff:0:192.0.2.1"))); // SIIT form
    EXPECT_TRUE(DNS::isv4mapped(v6("::ffff:0.0.0.0")));
    EXPECT_EQ(Ip(v6("::192.0.2.1")).version(), 6);
}

TEST(Ip, AssigningIpv6DataReplacesEverything) {
    Ip ip(v6("2001:db8::1"));
    in6_addr mapped = v6("::ffff:10.1.2.3");
    ip = &mapped;
    EXPECT_EQ(ip.version(), 4);
    EXPECT_EQ(text(ip), "10.1.2.3");
    in6_addr other = v6("fe80::2");
    ip = &other;
    EXPECT_EQ(ip.version(), 6);
    EXPECT_EQ(text(ip), "fe80::2");
}

TEST(Ip, FromSocketAddresses) {
    sockaddr_in in{};
    in.sin_family = AF_INET;
    in.sin_port = htons(53);
    in.sin_addr = v4("127.0.0.1");
    EXPECT_EQ(text(Ip(reinterpret_cast<sockaddr*>(&in))), "127.0.0.1");

    sockaddr_in6 in6{};
    in6.sin6_family = AF_INET6;
    in6.sin6_addr = v6("::ffff:127.0.0.2");
    Ip mapped(reinterpret_cast<sockaddr*>(&in6));
    EXPECT_EQ(mapped.version(), 4);
    EXPECT_EQ(text(mapped), "127.0.0.2");
    in6.sin6_addr = v6("::1");
    EXPECT_EQ(text(Ip(reinterpret_cast<sockaddr*>(&in6))), "::1");

    sockaddr_un un{};
    un.sun_family = AF_UNIX;
    EXPECT_EQ(errorOf([&] { Ip ip(reinterpret_cast<sockaddr*>(&un)); }), "wrong type");
}

TEST(Ip, FromText) {
    EXPECT_EQ(text(Ip("192.0.2.1")), "192.0.2.1");
    EXPECT_EQ(Ip("192.0.2.1").version(), 4);
    EXPECT_EQ(text(Ip("2001:DB8:0:0:0:0:0:1")), "2001:db8::1");
    Ip mapped("::ffff:192.0.2.1");
    EXPECT_EQ(mapped.version(), 4);
    EXPECT_EQ(mapped.size(), 4u);
    EXPECT_EQ(text(mapped), "192.0.2.1");
}

TEST(Ip, TextMustBeNumeric) {
    for (const char* bad : {"localhost", "example.com", "", "1.2.3.256", "::g", "1.2.3.4 "})
        EXPECT_EQ(errorOf([&] { Ip ip(bad); }), "invalid IP address supplied") << bad;
    EXPECT_EQ(errorOf([] { Ip ip(static_cast<const char*>(nullptr)); }), "invalid IP address supplied");
}

TEST(Ip, CompareOrdersVersionThenBytes) {
    Ip broadcast("255.255.255.255"), unspecified("::"), zero("0.0.0.0");
    EXPECT_LT(broadcast.compare(unspecified), 0);
    EXPECT_GT(unspecified.compare(broadcast), 0);
    EXPECT_TRUE(broadcast < unspecified);
    EXPECT_FALSE(unspecified < broadcast);
    EXPECT_TRUE(zero < broadcast);
    EXPECT_EQ(zero.compare(zero), 0);
    EXPECT_EQ(Ip("10.0.0.1").compare(Ip("10.0.0.1")), 0);
    EXPECT_FALSE(Ip("10.0.0.1") != Ip("::ffff:10.0.0.1"));
    EXPECT_TRUE(Ip("10.0.0.1") != Ip("10.0.0.2"));
    // byte order, not host order: 1.0.0.2 > 2.0.0.1 in host order on little-endian
    EXPECT_TRUE(Ip("1.0.0.2") < Ip("2.0.0.1"));
    EXPECT_TRUE(Ip("::2") < Ip("1::"));
}

TEST(Ip, ConversionsShareTheBytes) {
    Ip ip("2001:db8::5");
    const in6_addr& ref = ip;
    const in6_addr* ptr = ip;
    const in_addr* ptr4 = ip;
    EXPECT_EQ(static_cast<const void*>(&ref), static_cast<const void*>(ip.data()));
    EXPECT_EQ(static_cast<const void*>(ptr), static_cast<const void*>(ip.data()));
    EXPECT_EQ(static_cast<const void*>(ptr4), static_cast<const void*>(ip.data()));
    EXPECT_EQ(std::memcmp(ref.s6_addr, v6("2001:db8::5").s6_addr, 16), 0);
    Ip named("10.9.8.7");
    const in_addr& four = named;
    EXPECT_EQ(four.s_addr, v4("10.9.8.7").s_addr);
}

TEST(Ip, InversionKeepsTheVersionAndFolds) {
    EXPECT_EQ(text(~Ip("255.255.240.0")), "0.0.15.255");
    EXPECT_EQ(text(~Ip("0.0.0.0")), "255.255.255.255");
    EXPECT_EQ(text(~Ip("::")), "ffff:ffff:ffff:ffff:ffff:ffff:ffff:ffff");
    // the inverse of this IPv6 address is ::ffff:0.0.0.1, kept as IPv4
    Ip folded = ~Ip("ffff:ffff:ffff:ffff:ffff:0:ffff:fffe");
    EXPECT_EQ(folded.version(), 4);
    EXPECT_EQ(text(folded), "0.0.0.1");
}

TEST(Ip, BitOperationsThatProduceTheMappedShapeFold) {
    Ip ip("::ff00:0:5");
    ip |= Ip("::ff:0:0");
    EXPECT_EQ(ip.version(), 4);
    EXPECT_EQ(text(ip), "0.0.0.5");

    Ip wide("::1:ffff:0:9");
    wide &= Ip("ffff:ffff:ffff:ffff:fffe:ffff:ffff:ffff");
    EXPECT_EQ(wide.version(), 4);
    EXPECT_EQ(text(wide), "0.0.0.9");
}

TEST(Printable, TextAndSize) {
    Printable four(Ip("203.0.113.255"));
    EXPECT_STREQ(four.data(), "203.0.113.255");
    EXPECT_EQ(four.size(), 13u);
    Printable longest(Ip("ffff:ffff:ffff:ffff:ffff:ffff:255.255.255.254"));
    EXPECT_EQ(std::string(longest.data()), "ffff:ffff:ffff:ffff:ffff:ffff:ffff:fffe");
    EXPECT_EQ(longest.size(), 39u);
    std::ostringstream out;
    out << longest << '|';
    EXPECT_EQ(out.str(), "ffff:ffff:ffff:ffff:ffff:ffff:ffff:fffe|");
}
