// Authentication-Results values: parsing strictly and leniently, property
// values, and the normalised form they are written back in.
#include "mime/authentication/authenticationresults.h"
#include "mime/message/header.h"
#include "mime/tests/cost.h"
#include "mime/tests/oracle.h"

#include <gtest/gtest.h>

#include <string>

using namespace Orvanta::Mime;

namespace {

// the value written back, or "error: " and the message
std::string written(const std::string& text, bool strict = true) {
    try {
        return AuthenticationResults(text.data(), text.size(), strict).str();
    } catch (const std::runtime_error& e) {
        return std::string("error: ") + e.what();
    } catch (...) {
        return "error: not a runtime_error";
    }
}

TEST(AuthenticationResultsTest, ParsesAndWritesBack) {
    struct Case {
        std::string text;
        bool strict;
        std::string written;
    } const cases[] = {
        {"example.org; none", true, "example.org; none"},
        {"example.org 1; none", true, "example.org; none"},
        {"example.org 2 ; none", true, "example.org 2; none"},
        {"example.org", true, "error: no information about results was found, and '; none' was not included"},
        {"example.org", false, "example.org; none"},
        // "none" is a whole word, which stands alone
        {"mx.example.org; none-spf=fail smtp.mailfrom=a@example.org; dkim=pass header.d=example.org", true,
         "mx.example.org; none-spf=fail smtp.mailfrom=a@example.org; dkim=pass header.d=example.org"},
        {"mx.example.org; nonex=pass; dkim=pass", false, "mx.example.org; nonex=pass; dkim=pass"},
        {"mx.example.org; none (nothing checked)", true, "mx.example.org; none"},
        {"mx.example.org; none; dkim=pass", true, "error: text after '; none'"},
        {"mx.example.org; none; dkim=pass", false, "mx.example.org; none"},
        // so is "reason": these are properties
        {"mx.example.org; dkim=pass reasoner.d=example.org reason.i=@example.org", true,
         "mx.example.org; dkim=pass reasoner.d=example.org reason.i=@example.org"},
        {"example.com; spf=pass smtp.mailfrom=example.net", true,
         "example.com; spf=pass smtp.mailfrom=example.net"},
        {"example.com;\r\n dkim=pass (good) header.i=@example.com header.b=Ab/+cd=", true,
         "example.com; dkim=pass header.i=@example.com header.b=\"Ab/+cd=\""},
        {"example.com; dkim=fail reason=\"bad signature\" header.i=user@example.com", true,
         "example.com; dkim=fail reason=\"bad signature\" header.i=user@example.com"},
        {"example.com; dkim=pass reason=header.d=example.com", true,
         "example.com; dkim=pass header.d=example.com"},
        {"example.com; auth/2=pass smtp.auth=\"a b\\\"c\"", true,
         "example.com; auth/2=pass smtp.auth=\"a b\\\"c\""},
        {"example.com; auth/=pass", true, "error: error in authentication result"},
        {"example.com; auth/=pass; spf=fail", false, "example.com; spf=fail"},
        {"example.com; dkim=pass header.i=a@b.c!x", true, "error: error in authentication result"},
        {"example.com; dkim=pass header.x=y junk header.d=example.org", false,
         "example.com; dkim=pass header.x=y header.d=example.org"},
        {"example.com; spf=pass smtp.mailfrom=\"john doe\"@example.net", true,
         "example.com; spf=pass smtp.mailfrom=\"john doe\"@example.net"},
        {"", true, "error: Value requires at least one valid character"},
        // written back so that they read the same: a control character as a
        // quoted pair; a TAB, CR, LF or NUL cannot be, and is refused
        {"example.org; dkim=fail reason=\"a\vb\\\fc\"", true, "example.org; dkim=fail reason=\"a b\\\fc\""},
        {"\"\\\t\";none", true, "error: Quoted value holds a CR, LF, TAB or NUL"},
        {std::string("\"mx\0x\"; none", 12), true, "error: Quoted value holds a CR, LF, TAB or NUL"},
        {"example.org; dkim=pass reason=\"ok\\\r\nX-Injected: evil\" header.d=example.com", true,
         "error: error in authentication result"},
        // a value that is no token is written quoted: bare, the strict parse
        // would refuse it
        {"\"mx,example.org\"; none", true, "\"mx,example.org\"; none"},
        {"example.com; dkim=pass header.d=\"mail.m\xc3\xbcller.de\"", true,
         "example.com; dkim=pass header.d=\"mail.m\xc3\xbcller.de\""},
        {"example.com; dkim=fail reason=\"x,y\"", true, "example.com; dkim=fail reason=\"x,y\""},
        // readers that take the field for plain text would decode the look-alike
        {"example.com; dkim=fail reason=\"x=?utf-8?q?a?=y\" header.d=\"=?utf-8?q?a?=\"", true,
         "example.com; dkim=fail reason=\"x=\\?utf-8?q?a?=y\" header.d=\"=\\?utf-8?q?a?=\""},
        {"example.com; spf=pass smtp.mailfrom=\"a,b\"@example.net", true,
         "example.com; spf=pass smtp.mailfrom=\"a,b\"@example.net"},
        // a token that would read back in part as a domain
        {"example.com; dkim=pass header.d=\"mail.example_x\"", true,
         "example.com; dkim=pass header.d=\"mail.example_x\""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(written(c.text, c.strict), c.written) << c.text;
}

TEST(AuthenticationResultsTest, JunkWordsCostLinearTime) {
    // each skipped word was followed by a scan to the end of its result
    auto parseJunk = [](size_t count) {
        std::string text = "example.org; dkim=pass";
        for (size_t i = 0; i < count; ++i)
            text += " junk";
        text += "; spf=pass";
        EXPECT_EQ(AuthenticationResults(text.data(), text.size(), false).results().size(), 2u);
    };
    EXPECT_LT(Orvanta::Mime::Test::growth(parseJunk, 10000), Orvanta::Mime::Test::linear);
}

TEST(AuthenticationResultsTest, LooksUpPropertiesIgnoringCase) {
    std::string text = "mx.example.org; dkim=pass header.i=@example.com header.d=example.com";
    AuthenticationResults results(text.data(), text.size(), true);
    ASSERT_EQ(results.results().size(), 1u);
    EXPECT_EQ(results.results()[0]["HEADER.I"], "@example.com");
    EXPECT_EQ(results.results()[0]["header.b"], "");
    EXPECT_EQ(results.results()[0].method(), "dkim");
}

TEST(AuthenticationResultsTest, EmptyValueFilledAndPrepended) {
    AuthenticationResults results("mx.example.org");
    EXPECT_EQ(results.str(), "mx.example.org; none");
    AuthenticationResult dkim("dkim", "pass");
    dkim.add(AuthenticationProperty("header", "i", "@example.com"));
    dkim.add(AuthenticationProperty("header", "b", "ab/cd"));
    results.add(dkim);
    EXPECT_EQ(results.str(), "mx.example.org; dkim=pass header.i=@example.com header.b=\"ab/cd\"");
    Header header;
    header.prepend(results);
    ASSERT_EQ(header.size(), 1u);
    EXPECT_EQ(
        std::string(header[0].data(), header[0].size()),
        "Authentication-Results: mx.example.org; dkim=pass header.i=@example.com\r\n header.b=\"ab/cd\"\r\n");
}

TEST(AuthenticationResultsTest, TheCallersWordsAreKeywordsOrRefused) {
    // a word that is no keyword would end early or add words of its own:
    // results, properties or a value that nobody gave
    struct Case {
        std::string method, result, ptype, name;
        std::string written;
    } const cases[] = {
        {"dkim", "pass", "header", "d", "mx.example.org; dkim=pass header.d=example.org"},
        {"auth/2", "pass", "smtp", "mailfrom", "mx.example.org; auth/2=pass smtp.mailfrom=example.org"},
        {"dkim", "fail; spf=pass smtp.mailfrom=a@b.c", "header", "d", "error: invalid keyword"},
        {"dkim", "pass", "header;spf=pass x", "d", "error: invalid keyword"},
        {"dkim", "pass", "header", "d=x", "error: invalid keyword"},
        {"dkim; spf=pass", "fail", "header", "d", "error: invalid keyword"},
        {"", "pass", "header", "d", "error: invalid keyword"},
        {"dkim\r\nX-Injected: 1", "fail", "header", "d", "error: invalid keyword"},
        {"dkim", "pass", "header", std::string("d\0x", 3), "error: invalid keyword"},
        {"auth/", "pass", "smtp", "auth", "error: invalid method version"},
        {"auth/99999999999", "pass", "smtp", "auth", "error: invalid method version"},
        // readers take "none" for the value without results; a keyword that
        // only begins with a special word is a keyword like any other
        {"none", "pass", "header", "d", "error: method may not be none"},
        {"NONE/2", "pass", "header", "d", "error: method may not be none"},
        {"none-x", "pass", "header", "d", "mx.example.org; none-x=pass header.d=example.org"},
        {"nonex", "none", "reasoner", "d", "mx.example.org; nonex=none reasoner.d=example.org"},
        {"dkim", "pass", "reason", "d", "mx.example.org; dkim=pass reason.d=example.org"},
    };
    for (const auto& c : cases) {
        std::string out;
        try {
            AuthenticationResults results("mx.example.org");
            AuthenticationResult result(c.method, c.result);
            result.add(AuthenticationProperty(c.ptype, c.name, "example.org"));
            results.add(result);
            out = results.str();
        } catch (const std::runtime_error& e) {
            out = std::string("error: ") + e.what();
        }
        EXPECT_EQ(out, c.written) << c.method << " " << c.result << " " << c.ptype << " " << c.name;
        // what is written reads back strictly as the same
        if (out.rfind("error: ", 0) != 0) {
            EXPECT_EQ(written(out), out);
        }
    }
    // readers end a value at a NUL, or refuse it: nothing is written
    AuthenticationResults results("mx.example.org");
    AuthenticationResult dkim("dkim", "fail");
    dkim.reason(std::string("bad\0key", 7));
    results.add(dkim);
    Header header;
    header.prepend(results);
    EXPECT_EQ(header.size(), 0u);
}

TEST(AuthenticationResultsTest, WhatAuthresWritesParsesStrictlyAndWritesBackTheSameResults) {
    auto answers = Orvanta::Mime::Test::ask({{"results"}}, "dkim_oracle.py");
    ASSERT_EQ(answers.size(), 1u);
    ASSERT_FALSE(answers[0].empty());
    for (const std::string& value : answers[0]) {
        std::string once = written(value);
        ASSERT_EQ(once.find("error"), std::string::npos) << value << ": " << once;
        EXPECT_EQ(written(once), once);
        AuthenticationResults theirs(value.data(), value.size(), true);
        AuthenticationResults ours(once.data(), once.size(), true);
        ASSERT_EQ(ours.results().size(), theirs.results().size());
        for (size_t i = 0; i < ours.results().size(); ++i) {
            const auto& a = theirs.results()[i];
            const auto& b = ours.results()[i];
            EXPECT_EQ(a.method() + "=" + a.result() + " " + a.reason(),
                      b.method() + "=" + b.result() + " " + b.reason());
            ASSERT_EQ(a.properties().size(), b.properties().size());
            for (size_t p = 0; p < a.properties().size(); ++p)
                EXPECT_EQ(a.properties()[p].text(), b.properties()[p].text()) << value;
        }
    }
}

} // namespace
