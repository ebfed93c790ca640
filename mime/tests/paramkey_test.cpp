#include "mime/grammar/paramcharset.h"
#include "mime/grammar/paramkey.h"
#include "mime/grammar/rfc2231.h"
#include "mime/tests/exact.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

using namespace Orvanta::Mime;
using Orvanta::Mime::Test::Exact;

namespace {

template <typename Token>
Token parse(const std::string& text) {
    Exact exact(text);
    return Token(exact.data(), exact.size());
}

template <typename Token>
std::string failure(const std::string& text) {
    try {
        parse<Token>(text);
    } catch (const std::runtime_error& error) {
        return error.what();
    }
    return "no error";
}

} // namespace

TEST(Rfc2231Test, SuffixForms) {
    auto extended = parse<Rfc2231>("=x");
    EXPECT_TRUE(extended.extended());
    EXPECT_FALSE(extended.sectioned());
    EXPECT_EQ(extended.consumed(), 0u);

    auto section = parse<Rfc2231>("3=x");
    EXPECT_TRUE(section.sectioned());
    EXPECT_FALSE(section.extended());
    EXPECT_EQ(section.section(), 3u);
    EXPECT_EQ(section.consumed(), 1u);

    auto both = parse<Rfc2231>("12*=");
    EXPECT_TRUE(both.sectioned());
    EXPECT_TRUE(both.extended());
    EXPECT_EQ(both.section(), 12u);
    EXPECT_EQ(both.consumed(), 3u);
}

TEST(Rfc2231Test, Errors) {
    EXPECT_EQ(failure<Rfc2231>(""), "end of parameter key not found");
    EXPECT_EQ(failure<Rfc2231>("12"), "end of parameter key not found");
    EXPECT_EQ(failure<Rfc2231>("1*"), "end of parameter key not found");
    EXPECT_EQ(failure<Rfc2231>("b="), "another asterisk expected");
    EXPECT_EQ(failure<Rfc2231>("*="), "section number if missing");
    EXPECT_EQ(failure<Rfc2231>("1**="), "too many asterisks");
}

TEST(Rfc2231Test, HugeSectionNumbersAreCappedNotWrapped) {
    // 2^64 + 1 would wrap to 1 and pose as the first continuation
    auto huge = parse<Rfc2231>("18446744073709551617=");
    EXPECT_EQ(huge.section(), Rfc2231::maximumSection);
    EXPECT_EQ(parse<Rfc2231>(std::string(5000, '9') + "=").section(), Rfc2231::maximumSection);
}

TEST(ParamKeyTest, NamesAndSuffixes) {
    auto plain = parse<ParamKey>("charset=us-ascii");
    EXPECT_EQ(plain.name(), "charset");
    EXPECT_EQ(plain.consumed(), 7u);
    EXPECT_FALSE(plain.sectioned());
    EXPECT_FALSE(plain.extended());

    auto ext = parse<ParamKey>("name*=utf-8''x");
    EXPECT_EQ(ext.name(), "name");
    EXPECT_TRUE(ext.extended());
    EXPECT_EQ(ext.consumed(), 5u);

    auto sec = parse<ParamKey>("title*1*=x");
    EXPECT_EQ(sec.name(), "title");
    EXPECT_EQ(sec.section(), 1u);
    EXPECT_TRUE(sec.extended());
    EXPECT_EQ(sec.consumed(), 8u);

    // a '*' that does not start a valid suffix is part of the name
    EXPECT_EQ(parse<ParamKey>("a*b=c").name(), "a*b");
    EXPECT_EQ(parse<ParamKey>("a*b*0=c").name(), "a*b");
    EXPECT_EQ(parse<ParamKey>("*a=c").name(), "*a");
    EXPECT_EQ(parse<ParamKey>("a/b=c").name(), "a");
    EXPECT_EQ(parse<ParamKey>("a\xc3\xa9=c").name(), "a");
}

TEST(ParamKeyTest, ErrorsAndMatching) {
    EXPECT_EQ(failure<ParamKey>(""), "invalid parameter key");
    EXPECT_EQ(failure<ParamKey>("=b"), "invalid parameter key");
    EXPECT_EQ(failure<ParamKey>(";"), "invalid parameter key");
    auto key = parse<ParamKey>("Boundary=x");
    EXPECT_TRUE(key.matches("boundary", 8));
    EXPECT_FALSE(key.matches("boundar", 7));
    auto plain = parse<ParamKey>("t*2*=x").plain();
    EXPECT_EQ(plain.name(), "t");
    EXPECT_FALSE(plain.sectioned());
    EXPECT_FALSE(plain.extended());
}

TEST(ParamCharsetTest, CharsetLanguageAndRest) {
    std::string text = "iso-8859-1'en'%E9t%E9";
    ParamCharset charset(text.data(), text.size());
    EXPECT_EQ(charset.charset(), "iso-8859-1");
    EXPECT_EQ(text.substr(charset.rest()), "%E9t%E9");
    EXPECT_EQ(ParamCharset("utf-8''", 7).rest(), 7u);
    EXPECT_EQ(failure<ParamCharset>("utf-8%E2"), "no charset found");
    EXPECT_EQ(failure<ParamCharset>("utf-8'en"), "no language found");
}
