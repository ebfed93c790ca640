// resolv.conf as the resolver reads it, and the configuration built from it.
#include "dns/host/printable.h"
#include "dns/resolver/config.h"
#include "dns/resolver/localdomain.h"
#include "dns/resolver/resolvconf.h"

#include <gtest/gtest.h>

namespace {

std::string servers(const DNS::ResolvConf& conf) {
    std::string out;
    for (const DNS::Ip& ip : conf.nameservers())
        out += std::string(out.empty() ? "" : " ") + DNS::Printable(ip).data();
    return out;
}

std::string search(const DNS::ResolvConf& conf) {
    std::string out;
    for (const std::string& path : conf.searchpaths())
        out += (out.empty() ? "" : " ") + path;
    return out;
}

TEST(ResolvConf, ReadsServersSearchAndOptions) {
    std::string local(static_cast<const char*>(DNS::LocalDomain()));
    struct Case {
        const char* text;
        const char* servers;
        std::string search;
        unsigned timeout, attempts, ndots;
        bool rotate;
    } cases[] = {
        {"nameserver 192.0.2.53\n", "192.0.2.53", local, 5, 2, 1, false},
        // the address is the first word: what follows it is not read
        {"nameserver 192.0.2.53 # main\nnameserver\t2001:db8::53\t192.0.2.54  \n", "192.0.2.53 2001:db8::53",
         local, 5, 2, 1, false},
        {"NAMESERVER 192.0.2.1\n;nameserver 192.0.2.2\n#nameserver 192.0.2.3\n", "192.0.2.1", local, 5, 2, 1,
         false},
        {"nameserver192.0.2.1\nbogus line\ndomain example.test\n", "", local, 5, 2, 1, false},
        {"options ndots:2 timeout:1 attempts:9\n", "", local, 1, 5, 2, false},
        {"options timeout:100 ndots:99\n", "", local, 30, 2, 15, false},
        // nothing below one second or one attempt: a lookup must neither
        // give up before it asked nor wait forever
        {"options timeout:0 attempts:0 ndots:-3\n", "", local, 1, 1, 0, false},
        {"options timeout:-5 attempts:-1\n", "", local, 1, 1, 1, false},
        {"options timeout:99999999999999999999\n", "", local, 30, 2, 1, false},
        {"options rotate\n", "", local, 5, 2, 1, true},
        {"options ndots:2 rotate\n", "", local, 5, 2, 2, true},
        {"options rotate ndots:2\n", "", local, 5, 2, 2, true},
        {"options rotated debug\n", "", local, 5, 2, 1, false},
        {"options attempts:1\ttimeout:1 \t ndots:3\n", "", local, 1, 1, 3, false},
        {"search a.test b.test\nsearch c.test\td.test\n", "", "c.test d.test", 5, 2, 1, false},
    };
    for (const Case& c : cases) {
        DNS::ResolvConf conf(std::string(c.text), "test", false);
        EXPECT_EQ(servers(conf), c.servers) << c.text;
        EXPECT_EQ(search(conf), c.search) << c.text;
        EXPECT_EQ(conf.timeout(), c.timeout) << c.text;
        EXPECT_EQ(conf.attempts(), c.attempts) << c.text;
        EXPECT_EQ(conf.ndots(), c.ndots) << c.text;
        EXPECT_EQ(conf.rotate(), c.rotate) << c.text;
    }
}

TEST(ResolvConf, StrictReadingNamesTheLine) {
    struct Case {
        const char* text;
        const char* error;
    } cases[] = {
        {"domain example.test\n", "conf: not implemented: domain example.test"},
        {"bogus\n", "conf: unrecognized: bogus"},
        {"nameserver main.example.test\n", "conf: invalid IP address supplied"},
    };
    for (const Case& c : cases) {
        try {
            DNS::ResolvConf(std::string(c.text), "conf", true);
            ADD_FAILURE() << c.text;
        } catch (const std::runtime_error& error) {
            EXPECT_STREQ(error.what(), c.error);
        }
    }
    try {
        DNS::ResolvConf("/nonexistent/resolv.conf", false);
        ADD_FAILURE();
    } catch (const std::runtime_error& error) {
        EXPECT_STREQ(error.what(), "/nonexistent/resolv.conf: failed to open file");
    }
}

TEST(Config, TakesTheFileOrItsOwnDefaults) {
    DNS::Config builtin;
    EXPECT_EQ(builtin.nameservers(), 0u);
    EXPECT_EQ(builtin.timeout(), 60);
    EXPECT_EQ(builtin.attempts(), 5u);
    EXPECT_EQ(builtin.interval(), 2);

    DNS::Config file(DNS::ResolvConf(
        std::string("nameserver 192.0.2.1\noptions timeout:3 attempts:4 rotate\n"), "test", true));
    EXPECT_EQ(file.nameservers(), 1u);
    EXPECT_EQ(file.timeout(), 3);
    EXPECT_EQ(file.interval(), 3);
    EXPECT_EQ(file.attempts(), 4u);
    EXPECT_TRUE(file.rotate());

    // a caller's settings stay within bounds
    DNS::Config own;
    own.timeout(-1).interval(1e12).attempts(0);
    EXPECT_GT(own.timeout(), 0);
    EXPECT_LE(own.interval(), 86400);
    EXPECT_EQ(own.attempts(), 1u);
}

} // namespace
