// Orvanta::Dns::IpAddress: parsing with and without the system resolver,
// netmasks from prefixes (with out-of-range prefixes refused) and increments.
#include "dns/host/exception.h"
#include "dns/host/ipaddress.h"
#include "dns/host/ipmask.h"

#include <gtest/gtest.h>
#include <netdb.h>
#include <sstream>
#include <string>

using Orvanta::Dns::GaiException;
using Orvanta::Dns::IpAddress;
using Orvanta::Dns::IpMask;

namespace {

std::string text(const DNS::Ip& ip) {
    std::ostringstream out;
    out << ip;
    return out.str();
}

} // namespace

TEST(IpAddress, NumericText) {
    IpAddress four("198.51.100.20", false);
    EXPECT_EQ(four.version(), 4);
    EXPECT_EQ(text(four), "198.51.100.20");
    IpAddress six("2001:db8:0::42", false);
    EXPECT_EQ(six.version(), 6);
    EXPECT_EQ(text(six), "2001:db8::42");
    IpAddress mapped("::ffff:198.51.100.20", false);
    EXPECT_EQ(mapped.version(), 4);
    EXPECT_EQ(mapped.compare(four), 0);
}

TEST(IpAddress, NamesNeedResolving) {
    try {
        IpAddress address("localhost", false);
        FAIL() << "a name parsed as a numeric address";
    } catch (const GaiException& error) {
        EXPECT_EQ(error.code(), EAI_NONAME);
        EXPECT_TRUE(error.nxdomain());
        EXPECT_FALSE(error.temporary());
        EXPECT_EQ(error.type(), 4);
        EXPECT_STREQ(error.what(), gai_strerror(EAI_NONAME));
    }
    EXPECT_THROW(IpAddress("", false), GaiException);
    EXPECT_THROW(IpAddress("10.0.0.300", false), GaiException);
    EXPECT_THROW(IpAddress("[::1]", false), GaiException);
}

TEST(IpAddress, ResolvesLocalhostThroughTheSystem) {
    // localhost comes from the hosts file: no query leaves the machine
    IpAddress address("localhost", true);
    std::string got = text(address);
    EXPECT_TRUE(got == "127.0.0.1" || got == "::1") << got;
    // numeric text still parses when resolving is allowed
    EXPECT_EQ(text(IpAddress("127.0.0.1", true)), "127.0.0.1");
}

TEST(IpAddress, NetmaskRefusesWhatDoesNotFit) {
    for (int version : {0, 5, 255}) {
        try {
            IpAddress address{IpMask(version, 8)};
            FAIL() << version;
        } catch (const std::runtime_error& error) {
            EXPECT_STREQ(error.what(), "invalid ip version");
        }
    }
    for (auto mask : {IpMask(4, 33), IpMask(4, 64), IpMask(4, 255), IpMask(6, 129), IpMask(6, 255)}) {
        try {
            IpAddress address(mask);
            FAIL() << int(mask.version()) << "/" << int(mask.bits());
        } catch (const std::runtime_error& error) {
            EXPECT_STREQ(error.what(), "invalid prefix length");
        }
    }
}

TEST(IpAddress, PostfixReturnsTheOldValue) {
    IpAddress a("192.0.2.9", false);
    IpAddress before = a++;
    EXPECT_EQ(text(before), "192.0.2.9");
    EXPECT_EQ(text(a), "192.0.2.10");
    IpAddress& self = ++a;
    EXPECT_EQ(&self, &a);
}

TEST(IpAddress, IncrementIntoTheMappedRangeFolds) {
    IpAddress a("::fffe:ffff:ffff", false);
    ++a;
    EXPECT_EQ(a.version(), 4);
    EXPECT_EQ(text(a), "0.0.0.0");
}
