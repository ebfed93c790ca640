// DKIM-Signature values: what parses strictly and leniently, what each tag
// stores, and how a value is written back.
#include "mime/authentication/algorithm.h"
#include "mime/authentication/dkimheaderfields.h"
#include "mime/authentication/dkimsignature.h"
#include "mime/message/header.h"
#include "mime/message/object.h"
#include "mime/tests/cost.h"

#include <gtest/gtest.h>

#include <string>

using namespace Orvanta::Mime;

namespace {

std::string const base = "v=1; a=rsa-sha256; d=example.com; s=sel; h=from:to; bh=AAAA; b=BBBB";

DkimSignature parse(const std::string& text, bool strict = true, bool partial = false) {
    return DkimSignature(text.data(), text.size(), strict, partial);
}

// the error text of a parse, or "" when it parses
std::string error(const std::string& text, bool strict = true, bool partial = false) {
    try {
        parse(text, strict, partial);
        return "";
    } catch (const std::runtime_error& e) {
        return e.what();
    } catch (...) {
        return "not a runtime_error";
    }
}

TEST(DkimSignatureTest, ParsesOrRefusesWithItsMessage) {
    struct Case {
        std::string text;
        bool strict;
        bool partial;
        std::string error;
    } const cases[] = {
        {base, true, false, ""},
        {base + ";", true, false, ""},
        {base + " ; ", true, false, ""},
        {"v=1; a=rsa-sha256; d=example.com; s=sel; bh=AAAA; b=BBBB", true, false, "header is incomplete"},
        {"v=1; a=rsa-sha256; d=example.com; s=sel; bh=AAAA; b=BBBB;", true, false, "header is incomplete"},
        {"v=1; a=rsa-sha256; d=example.com; s=sel; bh=AAAA; b=BBBB;", true, true, ""},
        {"v=1; v=2; " + base.substr(5), true, false, "duplicate names"},
        {"v=1; v=2; " + base.substr(5), false, false, "duplicate names"},
        // RFC 6376 3.2: a repeated tag, the lists included, makes it invalid
        {base + "; h=subject", true, false, "duplicate names"},
        {base + "; h=subject", false, false, "duplicate names"},
        {base + "; z=A:b; z=C:d", true, false, "duplicate names"},
        {base + "; xx=whatever", true, false, ""},
        {base + "; =empty", true, false, "dkim header is invalid"},
        {base + "; =empty", false, false, ""},
        {"s=sel.; " + base.substr(0, 27) + base.substr(33), true, false, "dkim header is invalid"},
        {base + " x=1", true, false, "missing ;"},
        {base + " x=1", false, false, ""},
        {"v", true, false, "missing ="},
        {"v", false, false, "missing ="},
        {"", true, false, "header is incomplete"},
        {"", false, false, ""},
        {"v=; a=rsa-sha256", true, false, "dkim header is invalid"},
        {"a=sha256; v=1", true, false, "dkim header is invalid"},
        {"d=examplecom; v=1", true, false, "dkim header is invalid"},
        {"t=99999999999999999999999; v=1", false, false, ""},
        {base + "; t=1234567890123", true, false, "dkim header is invalid"},
        {base + "; l=" + std::string(77, '0'), true, false, "dkim header is invalid"},
        {base + "; z=From:a|To:=4G", true, false, "dkim header is invalid"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(error(c.text, c.strict, c.partial), c.error)
            << c.text << (c.strict ? " strict" : " lenient");
}

TEST(DkimSignatureTest, ManyTagsCostLinearTime) {
    // each tag was looked for among all the earlier ones: 1 MB took seconds
    auto parseTags = [](size_t count) {
        std::string text = base;
        for (size_t i = 0; i < count; ++i)
            text += "; x" + std::to_string(i) + "=1";
        EXPECT_EQ(parse(text).order().size(), count + 7);
    };
    EXPECT_LT(Orvanta::Mime::Test::growth(parseTags, 20000), Orvanta::Mime::Test::linear);
}

TEST(DkimSignatureTest, StoresEachTagByItsGrammar) {
    struct Case {
        std::string tag;
        std::string text;
        std::string stored;
    } const cases[] = {
        {"v", "01", "1"},
        {"a", "rsa-sha1", "rsa-sha1"},
        {"a", "rsa-sha512", "rsa-sha512"},
        {"a", "ed25519-sha256", "ed25519-sha256"},
        {"b", "ab cd\r\n\tef==", "ab cd\r\n\tef=="},
        {"c", "relaxed/simple", "relaxed/simple"},
        {"c", "RELAXED", "RELAXED"},
        {"d", "mail.example.com", "mail.example.com"},
        {"i", "@example.com", "@example.com"},
        {"i", "user.name@sub.example.com", "user.name@sub.example.com"},
        {"i", "3", "3"},
        {"l", "000123", "123"},
        {"q", "dns/txt", "dns/txt"},
        {"q", "dns : other", "dns:other"},
        {"q", "dns/a=20b", "dns/a b"},
        {"s", "sel.2024", "sel.2024"},
        {"t", "4102444800", "4102444800"},
        {"x", "253402300799", "253402300799"},
        {"xyz", "any thing ", "any thing "},
    };
    for (const auto& c : cases) {
        std::string text = base + "; " + c.tag + "=" + c.text + ";";
        if (c.tag == "v" || c.tag == "a" || c.tag == "b" || c.tag == "d" || c.tag == "s")
            text = c.tag + "=" + c.text + "; " + [&] {
                // the base without the tag being tried
                std::string rest;
                for (std::string part :
                     {"v=1", "a=rsa-sha256", "d=example.com", "s=sel", "h=from:to", "bh=AAAA", "b=BBBB"})
                    if (part.compare(0, c.tag.size() + 1, c.tag + "=") != 0) rest += part + "; ";
                return rest;
            }();
        try {
            EXPECT_EQ(parse(text).get(c.tag), c.stored) << text;
        } catch (const std::exception& e) {
            ADD_FAILURE() << text << ": " << e.what();
        }
    }
}

TEST(DkimSignatureTest, IdentityDefaultsToTheDomainWithOrWithoutFinalSemicolon) {
    for (std::string end : {"", ";", " ; "}) {
        EXPECT_EQ(parse(base + end).auid(), "@example.com") << end;
        EXPECT_EQ(parse(base + "; i=joe@mail.example.com" + end).auid(), "joe@mail.example.com");
        // ARC's i= is an instance number, not an identity
        EXPECT_EQ(parse(base + "; i=2" + end, true, true).auid(), "@example.com");
    }
    // reading d= for the default adds no d=
    DkimSignature partial = parse("v=1; h=from", true, true);
    EXPECT_EQ(partial.auid(), "@");
    EXPECT_FALSE(partial.has("d"));
}

TEST(DkimSignatureTest, WritesTagsInParsedOrder) {
    struct Case {
        std::string text;
        std::string written;
    } const cases[] = {
        {"v=1;a=rsa-sha256;d=example.com;s=sel;h=From : To;bh=AAAA;b=BBBB;",
         "v=1; a=rsa-sha256; d=example.com; s=sel; h=From:To; bh=AAAA; b=BBBB"},
        {base + "; future=tag value; z=From:a=20b|Subject:x=7Cy=3Dz",
         base + "; future=tag value; z=From:a=20b|Subject:x=7Cy=3Dz"},
        {"h=a:b; v=1; a=rsa-sha256; d=example.com; s=sel; bh=AAAA; b=BBBB",
         "h=a:b; v=1; a=rsa-sha256; d=example.com; s=sel; bh=AAAA; b=BBBB"},
    };
    for (const auto& c : cases) {
        DkimSignature signature = parse(c.text);
        EXPECT_EQ(signature.str(), c.written);
        // and what is written parses to the same tags
        DkimSignature again = parse(signature.str());
        EXPECT_EQ(again.str(), c.written);
        EXPECT_EQ(again.copied(), signature.copied());
    }
    DkimSignature signature = parse(base);
    signature.report(true);
    EXPECT_EQ(signature.str(), base + "; r=y");
    signature.report(false);
    EXPECT_EQ(signature.str(), base);
}

TEST(DkimSignatureTest, HeaderListsParseFoldAndOversign) {
    DkimHeaderFields spaced(" From : To:Subject ;x", 21);
    EXPECT_EQ(spaced.names(), (std::vector<std::string>{"From", "To", "Subject"}));
    EXPECT_EQ(spaced.consumed(), 19u);
    DkimHeaderFields open("a:;", 3);
    EXPECT_EQ(open.names(), std::vector<std::string>{"a"});
    EXPECT_EQ(open.consumed(), 2u);

    DkimHeaderFields twelve;
    for (int i = 0; i < 12; ++i)
        twelve.add("header-" + std::to_string(100 + i));
    std::string written = twelve.str();
    EXPECT_EQ(written.find(' '), 6 * 10 + 5 + 1u) << written;

    DkimHeaderFields list("from:to:to:subject", 18);
    list.oversign();
    EXPECT_EQ(list.names(),
              (std::vector<std::string>{"from", "from", "to", "to", "to", "subject", "subject"}));
    // fields of one name apart from each other, bottom up
    DkimHeaderFields apart("Cc:Cc:To:Subject:to:From", 24);
    apart.oversign();
    EXPECT_EQ(apart.str(), "Cc:Cc:Cc:To:Subject:Subject:to:to:From:From");
    DkimHeaderFields none;
    none.oversign();
    EXPECT_TRUE(none.empty());
    EXPECT_EQ(none.str(), "");
}

TEST(DkimSignatureTest, FindsTheLineCarryingItself) {
    std::string text = "DKIM-Signature: v=1; d=other.example; s=x; a=rsa-sha256; h=from; bh=AA; b=CC\r\n"
                       "dkim-signature: " +
                       base +
                       "; future=1\r\n"
                       "From: a@example.com\r\n\r\nbody\r\n";
    Object message(text.data(), text.size());
    DkimSignature signature =
        parse("b=BBBB; bh=AAAA; future=1; h=to; s=sel; d=example.com; a=rsa-sha256; v=1");
    ASSERT_NE(signature.line(message.header), nullptr);
    EXPECT_EQ(signature.line(message.header), &message.header[1]);
    EXPECT_EQ(signature.original(message.header).size(), message.header[1].value.size());
    // the line's own value, changed afterwards, is no longer found
    const Value& value = message.header[1].value;
    DkimSignature changed(value.data(), value.size(), true, false);
    EXPECT_EQ(changed.line(message.header), &message.header[1]);
    changed.report(true);
    EXPECT_EQ(changed.line(message.header), nullptr);
    message.header.remove(1);
    EXPECT_TRUE(signature.original(message.header).empty());
}

TEST(DkimSignatureTest, AlgorithmNamesTheDigest) {
    EXPECT_EQ(Algorithm("RSA-SHA256").type(), Algorithm::sha256);
    EXPECT_EQ(Algorithm("rsa-sha1").type(), Algorithm::sha1);
    EXPECT_STREQ(Algorithm("rsa-sha512").digest(), "sha512");
    EXPECT_THROW(Algorithm(""), std::runtime_error);
    EXPECT_THROW(Algorithm("ed25519-sha256"), std::runtime_error);
}

TEST(DkimSignatureTest, HeaderSortsItsSignaturesAmongTheirPlaces) {
    std::string text = "DKIM-Signature: " + base +
                       "; s=zeta; x=1\r\nFrom: a@example.com\r\n"
                       "DKIM-Signature: not a signature\r\nDKIM-Signature: v=1; a=rsa-sha256; d=example.com; "
                       "s=alpha; h=from; bh=AA; b=BB\r\n\r\n";
    text.replace(text.find("s=sel; "), 7, "");
    Object message(text.data(), text.size());
    message.header.sort(
        [](const DkimSignature& a, const DkimSignature& b) { return a.selector() < b.selector(); });
    ASSERT_EQ(message.header.size(), 4u);
    EXPECT_NE(std::string(message.header[0].data(), message.header[0].size()).find("s=alpha"),
              std::string::npos);
    EXPECT_EQ(std::string(message.header[2].value.data(), message.header[2].value.size()), "not a signature");
    EXPECT_NE(std::string(message.header[3].data(), message.header[3].size()).find("s=zeta"),
              std::string::npos);
}

} // namespace
