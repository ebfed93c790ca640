#include "mime/grammar/domainpart.h"
#include "mime/tests/exact.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

using Orvanta::Mime::DomainPart;
using Orvanta::Mime::Test::Exact;

namespace {

DomainPart parse(const std::string& text) {
    Exact exact(text);
    return DomainPart(exact.data(), exact.size());
}

std::string failure(const std::string& text) {
    try {
        parse(text);
    } catch (const std::exception& error) {
        return error.what();
    }
    return "no error";
}

} // namespace

TEST(DomainPartTest, DotAtoms) {
    auto domain = parse(" (c) mail.example.org (x) >");
    EXPECT_EQ(domain.text(), "mail.example.org");
    EXPECT_EQ(domain.consumed(), 26u);
    EXPECT_FALSE(domain.literal());
    EXPECT_EQ(parse("mail.host.").text(), "mail.host.");
    auto doubled = parse("host..y");
    EXPECT_EQ(doubled.text(), "host.");
    EXPECT_EQ(doubled.consumed(), 5u);
    EXPECT_EQ(parse("b\xc3\xbc"
                    "cher.example")
                  .text(),
              "b\xc3\xbc"
              "cher.example");
}

TEST(DomainPartTest, Literals) {
    auto v4 = parse("[ 192.0.2.1 ] x");
    EXPECT_EQ(v4.text(), "[192.0.2.1]");
    EXPECT_TRUE(v4.literal());
    EXPECT_EQ(v4.consumed(), 14u);
    EXPECT_EQ(parse("[IPv6:2001:db8::1]").text(), "[IPv6:2001:db8::1]");
    EXPECT_EQ(parse("[ipv6:::1]").text(), "[ipv6:::1]");
}

TEST(DomainPartTest, Errors) {
    EXPECT_EQ(failure(""), "empty domain part");
    EXPECT_EQ(failure(" (c) "), "empty domain part");
    EXPECT_EQ(failure(".host"), "invalid domain name");
    EXPECT_EQ(failure(">"), "invalid domain name");
    EXPECT_EQ(failure("[2001:db8::1]"), "not an ipv4 address");
    EXPECT_EQ(failure("[IPv6:192.0.2.1]"), "not an ipv6 address, but ipv6: prefix used");
    EXPECT_EQ(failure("[192.0.2.1"), "unfinished domain literal");
    EXPECT_EQ(failure("["), "unfinished domain literal");
    EXPECT_EQ(failure("[192.0.\\2.1]"), "invalid character in email address");
    EXPECT_EQ(failure("[192.0.2.1[]"), "invalid character in email address");
    EXPECT_EQ(failure("[192.0.2.1\t]"), "invalid character in email address");
    EXPECT_EQ(failure("[192.0.2.1\xc3\xa9]"), "invalid character in email address");
    EXPECT_NE(failure("[host.example]"), "no error"); // no numeric address at all
    EXPECT_NE(failure("[]"), "no error");
    EXPECT_EQ(failure("host (x"), "unfinished comment");
}
