#include "mime/authentication/authenticationdomainpart.h"
#include "mime/authentication/authenticationproperty.h"
#include "mime/authentication/authenticationtokens.h"
#include "mime/authentication/dkimtagvalue.h"
#include "mime/grammar/atom.h"
#include "mime/grammar/comment.h"
#include "mime/grammar/contentdisposition.h"
#include "mime/grammar/contentid.h"
#include "mime/grammar/contenttype.h"
#include "mime/grammar/digit.h"
#include "mime/grammar/displayname.h"
#include "mime/grammar/domainpart.h"
#include "mime/grammar/localpart.h"
#include "mime/grammar/mailbox.h"
#include "mime/grammar/mailboxes.h"
#include "mime/grammar/mess.h"
#include "mime/grammar/paramkey.h"
#include "mime/grammar/params.h"
#include "mime/grammar/quotedstring.h"
#include "mime/grammar/require.h"
#include "mime/grammar/targets.h"
#include "mime/grammar/whitespace.h"
#include "mime/tests/exact.h"

#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

using namespace Orvanta::Mime;
using Orvanta::Mime::Test::Exact;

namespace {

template <typename Token, typename... Args>
Token parse(const std::string& text, Args... args) {
    Exact exact(text);
    return Token(exact.data(), exact.size(), args...);
}

template <typename Token, typename... Args>
std::string failure(const std::string& text, Args... args) {
    try {
        parse<Token>(text, args...);
    } catch (const std::runtime_error& error) {
        return error.what();
    }
    return "no error";
}

// an atom keeps a pointer into its text, so the text lives beside it
struct AtomOn {
    AtomOn(const std::string& text, bool cfws) : exact(text), atom(exact.data(), exact.size(), cfws) {}
    Exact exact;
    Atom atom;
};

} // namespace

TEST(QuotedStringTest, UnquotesEscapesAndFolds) {
    auto escaped = parse<QuotedString>("\"a\\\"b\"rest");
    EXPECT_EQ(escaped.text(), "a\"b");
    EXPECT_EQ(escaped.consumed(), 6u);
    EXPECT_FALSE(escaped.eightbit());

    EXPECT_EQ(parse<QuotedString>("\"a\r\n b\"").text(), "a b");
    EXPECT_EQ(parse<QuotedString>("\"a\tb\"").text(), "a b");
    EXPECT_EQ(parse<QuotedString>("\"a\t\t b\"").text(), "a   b"); // runs are not collapsed
    // an escaped CR is taken literally: the caller decides what to do with it
    EXPECT_EQ(parse<QuotedString>("\"a\\\rb\"").text(), "a\rb");
    // an escaped fold is undone first: the backslash escapes the blank
    EXPECT_EQ(parse<QuotedString>("\"r\\\r\n s\"").text(), "r s");
    EXPECT_EQ(parse<QuotedString>("\"r\\\n\ts\"").text(), "r\ts");
    EXPECT_EQ(parse<QuotedString>("\"\"").consumed(), 2u);
}

TEST(QuotedStringTest, EightBitAndNoMatch) {
    EXPECT_TRUE(parse<QuotedString>("\"J\xc3\xb6rg\"").eightbit());
    EXPECT_TRUE(parse<QuotedString>("\"\\\xe9\"").eightbit());
    auto none = parse<QuotedString>("x\"");
    EXPECT_EQ(none.consumed(), 0u);
    EXPECT_EQ(none.text(), "");
    EXPECT_EQ(parse<QuotedString>("").consumed(), 0u);
}

TEST(QuotedStringTest, Errors) {
    EXPECT_EQ(failure<QuotedString>("\"abc"), "unfinished quoted string");
    EXPECT_EQ(failure<QuotedString>("\""), "unfinished quoted string");
    EXPECT_EQ(failure<QuotedString>("\"abc\\"),
              "invalid quoted string (escaped character missing after backslash)");
}

TEST(CommentTest, NestingEscapesAndErrors) {
    EXPECT_EQ(parse<Comment>("(a(b)c) d").consumed(), 7u);
    EXPECT_EQ(parse<Comment>("(a\\)b)").consumed(), 6u);
    EXPECT_EQ(parse<Comment>("(a\")b").consumed(), 4u); // no quoted strings inside comments
    EXPECT_EQ(parse<Comment>("x(").consumed(), 0u);
    EXPECT_EQ(failure<Comment>("(a"), "unfinished comment");
    EXPECT_EQ(failure<Comment>("("), "unfinished comment");
    EXPECT_EQ(failure<Comment>("(a(b)"), "unfinished comment");
    EXPECT_EQ(failure<Comment>("(a\\"), "invalid comment (escaped character missing after backslash)");
}

TEST(WhitespaceTest, WithAndWithoutComments) {
    std::string text = " (x) \r\n y";
    EXPECT_EQ(parse<Whitespace>(text, true).consumed(), 8u);
    EXPECT_EQ(parse<Whitespace>(text, false).consumed(), 1u);
    EXPECT_EQ(parse<Whitespace>("\v\f x", false).consumed(), 3u);
    // bytes above 0x7f are never white space, whatever the locale says
    EXPECT_EQ(parse<Whitespace>("\xa0\x85", false).consumed(), 0u);
    EXPECT_EQ(failure<Whitespace>(" (x", true), "unfinished comment");
}

TEST(AtomTest, TextAndSurroundings) {
    AtomOn on(" john.doe", true);
    auto& atom = on.atom;
    EXPECT_EQ(atom.leading(), 1u);
    EXPECT_EQ(atom.text(), "john");
    EXPECT_EQ(atom.trailing(), 0u);
    EXPECT_EQ(atom.consumed(), 5u);

    AtomOn blankOn(" (c) <", true);
    auto& blank = blankOn.atom;
    EXPECT_TRUE(blank.empty());
    EXPECT_EQ(blank.consumed(), 5u);

    AtomOn trailingOn("a (c) b", true);
    auto& trailing = trailingOn.atom;
    EXPECT_EQ(trailing.text(), "a");
    EXPECT_EQ(trailing.trailing(), 5u);

    EXPECT_EQ(AtomOn("a{b}/c=d?e", false).atom.text(), "a{b}/c=d?e");
    AtomOn utf8On("J\xc3\xb6rg@", false);
    auto& utf8 = utf8On.atom;
    EXPECT_EQ(utf8.text(), "J\xc3\xb6rg");
    EXPECT_FALSE(utf8.ascii());
    EXPECT_TRUE(AtomOn("jorg", false).atom.ascii());
    // control bytes, NUL and DEL end an atom
    EXPECT_EQ(AtomOn(std::string("ab\0c", 4), false).atom.text(), "ab");
    EXPECT_EQ(AtomOn("ab\x7f"
                     "c",
                     false)
                  .atom.text(),
              "ab");
    EXPECT_EQ(AtomOn(" x", false).atom.consumed(), 0u);
}

TEST(DigitTest, ValuesAndRange) {
    auto digits = parse<Digit>("0042x");
    EXPECT_EQ(digits.value(), 42);
    EXPECT_EQ(digits.consumed(), 4u);
    EXPECT_EQ(parse<Digit>("x1").consumed(), 0u);
    EXPECT_EQ(parse<Digit>("-1").consumed(), 0u);
    EXPECT_EQ(parse<Digit>("2147483647").value(), 2147483647);
    EXPECT_THROW(parse<Digit>("99999999999"), std::out_of_range);
}

TEST(RequireTest, Message) {
    EXPECT_EQ(failure<Require>("", '@'), "missing @");
    EXPECT_EQ(failure<Require>("x", '='), "missing =");
    EXPECT_EQ(failure<Require>("@", '@'), "no error");
}

TEST(AuthenticationDomainPartTest, NeedsAnInnerDot) {
    EXPECT_EQ(parse<AuthenticationDomainPart>("mail.example-1.org; x").text(), "mail.example-1.org");
    for (const char* bad : {"", "example", ".example.org", "example.org.", "; a.b"})
        EXPECT_EQ(failure<AuthenticationDomainPart>(bad), "invalid domain part") << bad;
}

TEST(MessTest, StepsOverQuotedStringsAndComments) {
    EXPECT_EQ(parse<Mess>("a(;)b\";\"c;d", ";").consumed(), 9u);
    EXPECT_EQ(parse<Mess>("a\"b;c", ";").consumed(), 5u);
    EXPECT_EQ(parse<Mess>("a(b;c", ";").consumed(), 5u);
    EXPECT_EQ(parse<Mess>(std::string("ab\0;", 4), ";").consumed(), 2u);
    EXPECT_EQ(parse<Mess>("abc", ",").consumed(), 3u);
    EXPECT_EQ(parse<Mess>("a;b,c", ",;").consumed(), 1u);
}

// Every prefix of a value, cut anywhere (inside a comment, a quoted string,
// an escape, a domain literal, a parameter), is read within its bytes: each
// ends in a value or in the token's own error, never in a read past the end
// (which AddressSanitizer would catch on the exact copy) or another kind of
// exception.
TEST(TokensTest, EveryPrefixEndsInAValueOrAClearError) {
    using Reader = std::function<void(const char*, size_t)>;
    struct Case {
        const char* what;
        Reader read;
        std::vector<std::string> texts;
    };
    const std::vector<Case> cases = {
        {"comment", [](const char* d, size_t n) { Comment(d, n); }, {"(a (nested \\) one) x"}},
        {"quoted string",
         [](const char* d, size_t n) { QuotedString(d, n); },
         {"\"a\\\"b\r\n c\xc3\xa9\" rest"}},
        {"whitespace", [](const char* d, size_t n) { Whitespace(d, n, true); }, {" \t(c (d)) \r\n (e\\)) x"}},
        {"atom", [](const char* d, size_t n) { Atom(d, n, true); }, {" (c) J\xc3\xb6rg (d) .x"}},
        {"local part",
         [](const char* d, size_t n) { LocalPart(d, n); },
         {"\"a b\".c.=?utf-8?q?x?=@", "first.last (c)@"}},
        {"domain part",
         [](const char* d, size_t n) { DomainPart(d, n); },
         {" (c) mail.example.org (d) >", "[192.0.2.1] x", "[IPv6:2001:db8::1]"}},
        {"parameter key", [](const char* d, size_t n) { ParamKey(d, n); }, {"name*12*=x", "filename*=x"}},
        {"parameters",
         [](const char* d, size_t n) { Params(d, n, false); },
         {"; a=\"q \\\" d\"; b*=utf-8''%C3%A9; c*0=x; c*1=\"y\""}},
        {"content type",
         [](const char* d, size_t n) { ContentType(d, n, false); },
         {" text/plain (a comment) ; charset=\"utf-8\"", "multipart/mixed; boundary=\"=_b\"",
          "(a) image (b\\)) / (c)png (d);x=y"}},
        {"content disposition",
         [](const char* d, size_t n) { ContentDisposition(d, n); },
         {"attachment (c); filename=\"r\xc3\xa9sum\xc3\xa9.pdf\""}},
        {"mailboxes",
         [](const char* d, size_t n) { Mailboxes(d, n, false); },
         {"\"Doe, J.\" <j.doe@example.com> (work), x@[192.0.2.1]"}},
        {"targets",
         [](const char* d, size_t n) { Targets(d, n, false); },
         {"Team: a@example.com, \"b\" <b@example.org>;, c@example.net"}},
        {"mess", [](const char* d, size_t n) { Mess(d, n, ";"); }, {"a (b;c) \"d;\\\"e\" f;g"}},
        {"content id", [](const char* d, size_t n) { ContentID(d, n); }, {" \t<part.1@example.org> x"}},
        {"required byte", [](const char* d, size_t n) { Require(d, n, '='); }, {"="}},
        {"digits", [](const char* d, size_t n) { Digit(d, n); }, {"0042x"}},
        {"authentication keyword and value",
         [](const char* d, size_t n) {
             std::string word;
             size_t at = AuthenticationKeyword(word, d, n).consumed();
             AuthenticationValue(word, d + at, n - at, false);
         },
         {"dkim\"a\\\"b\" x", "spf-x pass x"}},
        {"no result", [](const char* d, size_t n) { AuthenticationNoResult(d, n); }, {" (c) ; (d) none x"}},
        {"authentication property",
         [](const char* d, size_t n) { AuthenticationProperty(d, n); },
         {" header (c) . i = \"a b\"@mail.example.org ;", "smtp.mailfrom=@example.org (c)",
          "policy.x=\"v\\\"w\" x"}},
        {"display name",
         [](const char* d, size_t n) { DisplayName(d, n); },
         {"\"John\" (c) \"Doe\" J. =?utf-8?q?x?= <"}},
        {"mailbox",
         [](const char* d, size_t n) { Mailbox(d, n, false); },
         {"Joe (c) <@relay1.example, ,@relay2.example: joe@example.com> (d) ,", "joe@example.com x"}},
        {"DKIM tag values",
         [](const char* d, size_t n) {
             // every grammar of a tag name over the same text
             for (const char* name : {"v", "a", "b", "bh", "c", "d", "i", "l", "q", "s", "t", "z"}) {
                 std::string value;
                 try {
                     DkimTagValue(name, value, d, n, true);
                 } catch (const std::runtime_error&) {
                 }
             }
         },
         {"rsa-sha256;", "ed25519-sha256", "relaxed/simple", "0012345678901", "ab+/ c\r\n d = = x",
          "\"q\".x@mail.example.org", "dns/txt:x-y/a=3D b =7C c|d", "sel-1.sub;"}},
    };
    for (const Case& c : cases) {
        for (const std::string& text : c.texts) {
            for (size_t length = 0; length <= text.size(); ++length) {
                Exact exact(text.substr(0, length));
                try {
                    c.read(exact.data(), exact.size());
                } catch (const std::runtime_error&) {
                    // the token's own refusal
                } catch (const std::exception& error) {
                    ADD_FAILURE() << c.what << " on \"" << text.substr(0, length) << "\": " << error.what();
                }
            }
        }
    }
}
