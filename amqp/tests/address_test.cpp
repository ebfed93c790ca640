#include <map>
#include <stdexcept>
#include <string>

#include <gtest/gtest.h>

#include "amqp/address.h"
#include "amqp/login.h"

using namespace AMQP;

namespace {

Address parse(const std::string& text) {
    return Address(text.data(), text.size());
}

struct Expected {
    std::string text;
    std::string host;
    uint16_t port;
    std::string vhost;
    std::map<std::string, std::string> options;
};

std::string parseError(const std::string& text) {
    try {
        parse(text);
    } catch (const std::runtime_error& e) {
        return e.what();
    }
    return "(accepted)";
}

} // namespace

TEST(Address, HostPortVhostAndOptions) {
    const Expected cases[] = {
        {"amqp://", "", 5672, "/", {}},
        {"amqp://h:5673/v", "h", 5673, "v", {}},
        {"amqp://h/", "h", 5672, "/", {}},
        {"amqp://h/a/b", "h", 5672, "a/b", {}},
        {"amqp://h/?x=1", "h", 5672, "", {{"x", "1"}}},
        {"amqp://h//?x=1", "h", 5672, "/", {{"x", "1"}}},
        {"amqp://h/v:1", "h", 5672, "v:1", {}},
        {"amqp://h:5673?connectTimeout=3", "h", 5673, "/", {{"connectTimeout", "3"}}},
        {"amqp://h?connectTimeout=3", "h", 5672, "/", {{"connectTimeout", "3"}}},
        {"amqp://h?a=1&A=2", "h", 5672, "/", {{"a", "2"}}},
        {"amqp://h?a&b=2", "h", 5672, "/", {{"b", "2"}}},
        {"amqp://h?a=", "h", 5672, "/", {{"a", ""}}},
        {"amqp://h?", "h", 5672, "/", {}},
        {"amqp://h?&&x=a=b&", "h", 5672, "/", {{"x", "a=b"}}},
        {"amqp://h:65535/v?y=2", "h", 65535, "v", {{"y", "2"}}},
        {"amqp://h/v?x=1/2", "h", 5672, "v", {{"x", "1/2"}}},
        {"amqp://broker.example.org:1", "broker.example.org", 1, "/", {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        Address address = parse(c.text);
        EXPECT_FALSE(address.secure());
        EXPECT_EQ(address.hostname(), c.host);
        EXPECT_EQ(address.port(), c.port);
        EXPECT_EQ(address.vhost(), c.vhost);
        for (const auto& [key, value] : c.options) {
            ASSERT_NE(address.option(key.c_str()), nullptr) << key;
            EXPECT_EQ(address.option(key.c_str()), value);
        }
        if (c.options.empty()) {
            EXPECT_EQ(address.option("x"), nullptr);
        }
    }
}

TEST(Address, SecurePrefixChangesTheDefaultPort) {
    Address secure = parse("amqps://h");
    EXPECT_TRUE(secure.secure());
    EXPECT_EQ(secure.port(), 5671);
    EXPECT_EQ(secure.hostname(), "h");
    EXPECT_EQ(parse("amqps://h:5672").port(), 5672);
}

TEST(Address, Login) {
    Address plain = parse("amqp://h");
    EXPECT_EQ(plain.login().user(), "lorvi");
    EXPECT_EQ(plain.login().password(), "lorvi");

    Address user = parse("amqp://u@h");
    EXPECT_EQ(user.login().user(), "u");
    EXPECT_EQ(user.login().password(), "");
    EXPECT_EQ(user.hostname(), "h");

    Address colons = parse("amqp://u:p:q@h");
    EXPECT_EQ(colons.login().user(), "u");
    EXPECT_EQ(colons.login().password(), "p:q");

    Address empty = parse("amqp://:@h:1234");
    EXPECT_EQ(empty.login().user(), "");
    EXPECT_EQ(empty.login().password(), "");
    EXPECT_EQ(empty.port(), 1234);

    // the first '@' anywhere ends the login, even one after the host
    Address late = parse("amqp://h/v@x");
    EXPECT_EQ(late.login().user(), "h/v");
    EXPECT_EQ(late.hostname(), "x");
}

TEST(Address, WrongPrefixIsRefused) {
    const char* text = "AMQP address should start with \"amqp://\" or \"amqps://\"";
    for (const char* bad : {"AMQP://h", "http://h", "amqp:/h", "amqp:", "", "amqps:/", " amqp://h"})
        EXPECT_EQ(parseError(bad), text) << bad;
}

TEST(Address, PortMustBeANumberFrom1To65535) {
    const char* text = "AMQP address has an invalid port";
    for (const char* bad : {"amqp://h:abc", "amqp://h:70000", "amqp://h:0", "amqp://h:", "amqp://h:65536/v",
                            "amqp://h:-1", "amqp://h: 5672", "amqp://h:+5672", "amqp://h:56x2?a=1",
                            "amqp://h:99999999999999999999999", "amqps://u:p@h:0/"})
        EXPECT_EQ(parseError(bad), text) << bad;
    EXPECT_EQ(parse("amqp://h:05672").port(), 5672);
}

TEST(Address, AVhostMustFitAShortString) {
    const std::string longest(255, 'v');
    EXPECT_EQ(parse("amqp://h/" + longest).vhost(), longest);
    EXPECT_EQ(parse("amqp://h/" + longest + "?heartbeat=5").vhost(), longest);
    for (const std::string& bad :
         {"amqp://h/" + longest + "v", "amqps://u:p@h:1/" + std::string(100000, 'v') + "?a=b"})
        EXPECT_EQ(parseError(bad), "AMQP address has a vhost longer than 255 bytes") << bad.size();
}

TEST(Address, OptionKeysIgnoreCase) {
    Address address = parse("amqp://h?connectTimeout=3&connectionOrder=random");
    EXPECT_STREQ(address.option("connecttimeout"), "3");
    EXPECT_STREQ(address.option("CONNECTTIMEOUT"), "3");
    EXPECT_STREQ(address.option("ConnectionOrder"), "random");
    EXPECT_EQ(address.option("connect"), nullptr);
}

TEST(Address, IntegerOptions) {
    Address address = parse("amqp://h?a=12&b=abc&c=  -7x&d=99999999999");
    EXPECT_EQ(address.option<int>("missing", 5), 5);
    EXPECT_EQ(address.option<int>("a", 5), 12);
    EXPECT_EQ(address.option<int>("b", 5), 0);
    EXPECT_EQ(address.option<int>("c", 5), -7);
    // the 64-bit value narrowed to int
    EXPECT_EQ(address.option<int>("d", 5), static_cast<int>(99999999999LL));
}

TEST(Address, SizeBoundsTheText) {
    const char text[] = "amqp://h:5673/vhost-beyond";
    Address address(text, 13);
    EXPECT_EQ(address.hostname(), "h");
    EXPECT_EQ(address.port(), 5673);
    EXPECT_EQ(address.vhost(), "/");
    EXPECT_THROW(Address(text, 6), std::runtime_error);
}

TEST(Login, SaslPlainResponse) {
    EXPECT_EQ(Login("u", "p").saslPlain(), std::string("\0u\0p", 4));
    EXPECT_EQ(Login("u", "").saslPlain(), std::string("\0u\0", 3));
    EXPECT_EQ(Login().saslPlain(), std::string("\0lorvi\0lorvi", 12));
    Login original("user", "secret");
    Login copy(original);
    EXPECT_EQ(copy.saslPlain(), original.saslPlain());
}
