#include "filter/string.h"
#include "mime/grammar/address.h"
#include "mime/grammar/capabilities.h"
#include "mime/tests/exact.h"
#include "mime/tests/oracle.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <strings.h>

using namespace Orvanta::Mime;
using Orvanta::Mime::Test::Exact;

namespace {

Address parse(const std::string& text, bool strict = true) {
    Exact exact(text);
    return Address(exact.data(), exact.size(), strict);
}

std::string failure(const std::string& text, bool strict = true) {
    try {
        parse(text, strict);
    } catch (const std::exception& error) {
        return error.what();
    }
    return "no error";
}

std::string render(const Address& address, const Capabilities& caps) {
    std::string out;
    Orvanta::Filter::String sink(&out);
    size_t written = address.encode(caps, &sink, false);
    EXPECT_EQ(written, out.size());
    return out;
}

} // namespace

TEST(AddressTest, PlainAddress) {
    auto address = parse("user@host");
    EXPECT_EQ(address.utf8(), "user@host");
    EXPECT_EQ(address.ascii(), "");
    EXPECT_FALSE(address.idn());
    EXPECT_EQ(render(address, Capabilities::standard()), "user@host");
    EXPECT_EQ(render(address, Capabilities::utf8()), "user@host");
    EXPECT_EQ(std::string(address), "user@host");
    EXPECT_EQ(address.consumed(), 9u);
}

TEST(AddressTest, BlanksCommentsAndQuoting) {
    auto spaced = parse(" (c) user . name @ host (x) ");
    EXPECT_EQ(spaced.local().text(), "user.name");
    EXPECT_EQ(spaced.domain().text(), "host");

    auto quoted = parse("\"john doe\"@host");
    EXPECT_EQ(quoted.local().text(), "john doe");
    EXPECT_EQ(quoted.utf8(), "\"john doe\"@host");
    auto mixed = parse("john.\" doe\"@host");
    EXPECT_EQ(mixed.local().text(), "john. doe");
    EXPECT_EQ(mixed.utf8(), "\"john. doe\"@host");
    EXPECT_EQ(parse("\"a\\\"b\\\\c\"@host").utf8(), "\"a\\\"b\\\\c\"@host");
    // a quoted local part that is a dot-atom is written bare
    EXPECT_EQ(parse("\"john\"@host").utf8(), "john@host");
}

TEST(AddressTest, LocalPartErrors) {
    EXPECT_EQ(failure(""), "empty local part");
    EXPECT_EQ(failure("\"\"@host"), "empty local part");
    EXPECT_EQ(failure(".john@x"), "invalid local part");
    EXPECT_EQ(failure("john..doe@x"), "invalid local part");
    EXPECT_EQ(failure("john.@x"), "invalid local part");
    EXPECT_EQ(failure("john. @x"), "invalid local part");
    EXPECT_EQ(failure("john"), "missing @");
    EXPECT_EQ(failure("john@"), "empty domain part");
    EXPECT_EQ(failure("john@ (c) "), "empty domain part");
    EXPECT_EQ(failure("john@.host"), "invalid domain name");
    EXPECT_EQ(failure("\"john@host"), "unfinished quoted string");
    EXPECT_EQ(failure("(john@host"), "unfinished comment");
}

TEST(AddressTest, TrailingBytes) {
    EXPECT_EQ(failure("john@host x"), "trailing bytes after email address: x");
    auto lenient = parse("john@host x", false);
    EXPECT_EQ(lenient.consumed(), 10u);
    EXPECT_EQ(lenient.utf8(), "john@host");
    // a doubled dot ends the domain after the first dot
    EXPECT_EQ(parse("john@host..y", false).domain().text(), "host.");
}

TEST(AddressTest, DomainLiterals) {
    EXPECT_EQ(parse("user@[192.0.2.1]").domain().text(), "[192.0.2.1]");
    EXPECT_EQ(parse("user@[ 192.0.2.1 ]").domain().text(), "[192.0.2.1]");
    EXPECT_EQ(parse("user@[IPv6:2001:db8::1]").domain().text(), "[IPv6:2001:db8::1]");
    EXPECT_EQ(parse("user@[192.0.2.1]").utf8(), "user@[192.0.2.1]");
    EXPECT_EQ(failure("user@[2001:db8::1]"), "not an ipv4 address");
    EXPECT_EQ(failure("user@[IPv6:192.0.2.1]"), "not an ipv6 address, but ipv6: prefix used");
    EXPECT_EQ(failure("user@[192.0.2.1"), "unfinished domain literal");
    EXPECT_EQ(failure("user@[192.0.\\2.1]"), "invalid character in email address");
    EXPECT_EQ(failure("user@[192.0.2.1\n]"), "invalid character in email address");
    EXPECT_EQ(failure("user@[192.0.2.1\xc3\xa9]"), "invalid character in email address");
    EXPECT_NE(failure("user@[host.example]"), "no error"); // not numeric
}

TEST(AddressTest, Utf8LocalPart) {
    auto address = parse("j\xc3\xb6rg@host");
    EXPECT_TRUE(address.local().eightbit());
    EXPECT_TRUE(address.idn());
    EXPECT_FALSE(address.encodable(Capabilities::standard()));
    EXPECT_TRUE(address.encodable(Capabilities::utf8()));
    EXPECT_EQ(address.utf8(), "j\xc3\xb6rg@host");
    // no encoded word in an addr-spec: the bytes stay as they stand
    EXPECT_EQ(address.ascii(), "");
    EXPECT_EQ(render(address, Capabilities::utf8()), "j\xc3\xb6rg@host");
    EXPECT_EQ(render(address, Capabilities::standard()), "j\xc3\xb6rg@host");
    EXPECT_EQ(render(parse("x\xe1zz@b\xc3\xbc"
                           "cher.example"),
                     Capabilities::standard()),
              "x\xe1zz@b\xc3\xbc"
              "cher.example");
}

TEST(AddressTest, EncodedWordLocalPart) {
    auto address = parse("=?utf-8?q?j=C3=B6rg?=@host");
    EXPECT_EQ(address.local().text(), "j\xc3\xb6rg");
    EXPECT_FALSE(address.local().eightbit());
    EXPECT_TRUE(address.encodable(Capabilities::standard()));
    EXPECT_EQ(render(address, Capabilities::standard()), "=?utf-8?q?j=C3=B6rg?=@host");
    EXPECT_EQ(render(address, Capabilities::utf8()), "j\xc3\xb6rg@host");
    // one that only spells an encoded word stays that text
    auto spelled = parse("\"=?utf-8?q?x?=\"@host");
    for (const Capabilities* caps : {&Capabilities::standard(), &Capabilities::utf8()})
        EXPECT_EQ(parse(render(spelled, *caps)).local().text(), "=?utf-8?q?x?=");
}

TEST(AddressTest, LineEndsInDecodedLocalPartsAreRefused) {
    // these would reach the "recipients" header of the mail transfer agent
    EXPECT_EQ(failure("=?utf-8?q?a=0D=0Ab?=@host"), "invalid local part");
    EXPECT_EQ(failure("=?utf-8?q?a=0Ab?=@host"), "invalid local part");
    EXPECT_EQ(failure("=?utf-8?q?a=00b?=@host"), "invalid local part");
    EXPECT_EQ(failure("=?utf-8?b?YQ1i?=@host"), "invalid local part");
    EXPECT_EQ(failure("\"a\\\rb\"@host"), "invalid local part");
    EXPECT_EQ(failure("\"a\\\nb\"@host"), "invalid local part");
    EXPECT_EQ(failure(std::string("\"a\\\0b\"@host", 10)), "invalid local part");
    // a line end that folds nothing, and the tab after a fold
    EXPECT_EQ(failure("\"a\rb\"@host"), "invalid local part");
    EXPECT_EQ(failure("\"a\r\n\tb\"@host"), "invalid local part");
    // a fold inside a quoted string is only white space
    EXPECT_EQ(parse("\"a\r\n b\"@host").local().text(), "a b");
    // and so is an escaped one (the obsolete quoted-pair), as Python reads it
    EXPECT_EQ(parse("\"r\\\r\n s\"@host").local().text(), "r s");
}

TEST(AddressTest, EveryControlByteInALocalPartIsRefused) {
    // none of them belongs in the recipient list handed on
    for (int byte : {0x01, 0x07, 0x08, 0x09, 0x0b, 0x0c, 0x1b, 0x1f, 0x7f}) {
        static const char hex[] = "0123456789ABCDEF";
        std::string escape = std::string("=") + hex[byte >> 4] + hex[byte & 15];
        EXPECT_EQ(failure("=?utf-8?q?a" + escape + "b?=@host"), "invalid local part") << byte;
        std::string raw(1, static_cast<char>(byte));
        EXPECT_EQ(failure("\"a\\" + raw + "b\"@host"), "invalid local part") << byte;
        EXPECT_EQ(failure("\"a" + raw + "b\"@host"), "invalid local part") << byte;
    }
    EXPECT_EQ(parse("=?utf-8?q?a=20b?=@host").local().text(), "a b") << "a space is no control byte";
}

TEST(AddressTest, IdnaDomain) {
    auto address = parse("user@b\xc3\xbc"
                         "cher.example");
    EXPECT_TRUE(address.idn());
    EXPECT_EQ(render(address, Capabilities::utf8()), "user@b\xc3\xbc"
                                                     "cher.example");
    EXPECT_EQ(render(address, Capabilities::standard()), "user@xn--bcher-kva.example");
    EXPECT_TRUE(address.encodable(Capabilities::standard()));
    // a domain that differs from its ASCII form only by case is no IDN
    EXPECT_FALSE(parse("user@Host.Example").idn());
}

TEST(AddressTest, EqualityIgnoresCase) {
    EXPECT_TRUE(parse("User@Host") == parse("user@host"));
    EXPECT_FALSE(parse("user1@host") == parse("user@host"));
    EXPECT_TRUE(parse("user@b\xc3\xbc"
                      "cher.example") == parse("user@xn--bcher-kva.example"));
}

TEST(AddressTest, CopiesAndOtherConstructors) {
    auto original = parse("user@b\xc3\xbc"
                          "cher.example");
    Address copy = original;
    EXPECT_EQ(copy.utf8(), original.utf8());
    EXPECT_EQ(copy.ascii(), original.ascii());
    std::string local = "john", domain = "host.example";
    Address parts(LocalPart(local.data(), local.size()), DomainPart(domain.data(), domain.size()));
    EXPECT_EQ(parts.utf8(), "john@host.example");
    Address hosted(LocalPart(local.data(), local.size()), Orvanta::Dns::Hostname("b\xc3\xbc"
                                                                                 "cher.example",
                                                                                 true));
    EXPECT_EQ(hosted.utf8(), "john@b\xc3\xbc"
                             "cher.example");
    EXPECT_EQ(hosted.ascii(), "john@xn--bcher-kva.example");
}

TEST(AddressTest, StrictDomainRules) {
    // host names follow the STD3 rules unless they are literals
    EXPECT_NE(failure("user@under_score.example"), "no error");
    EXPECT_EQ(failure("user@host-name.example"), "no error");
}

TEST(AddressTest, DomainsAgreeWithPythonIdna) {
    std::vector<std::string> domains = {"b\xc3\xbc"
                                        "cher.example",
                                        "m\xc3\xbcnchen.de",
                                        "\xe4\xbe\x8b\xe3\x81\x88.jp",
                                        "xn--bcher-kva.example",
                                        "caf\xc3\xa9.fr",
                                        "HOST.example",
                                        "\xd0\xbf\xd1\x80\xd0\xb8\xd0\xbc\xd0\xb5\xd1\x80.\xd1\x80\xd1\x84",
                                        "stra\xc3\x9f"
                                        "e.de",
                                        "\xce\xb5\xce\xbb.example"};
    std::vector<Orvanta::Mime::Test::Request> requests;
    for (const auto& domain : domains)
        requests.push_back({"idna", domain});
    auto answers = Orvanta::Mime::Test::ask(requests);
    size_t compared = 0;
    for (size_t i = 0; i < domains.size(); ++i) {
        if (answers[i].empty() || answers[i][0] != "1") continue;
        auto address = parse("user@" + domains[i]);
        std::string ascii = address.ascii().empty() ? address.utf8() : address.ascii();
        std::string expected = "user@" + answers[i][1];
        EXPECT_EQ(ascii.size(), expected.size()) << domains[i];
        EXPECT_TRUE(strcasecmp(ascii.c_str(), expected.c_str()) == 0)
            << domains[i] << ": " << ascii << " vs " << expected;
        ++compared;
    }
    EXPECT_GE(compared, 8u);
}
