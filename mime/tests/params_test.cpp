#include "filter/linetracker.h"
#include "filter/string.h"
#include "mime/grammar/capabilities.h"
#include "mime/grammar/contentdisposition.h"
#include "mime/grammar/contenttype.h"
#include "mime/grammar/param.h"
#include "mime/grammar/paramcharset.h"
#include "mime/grammar/params.h"
#include "mime/grammar/paramvalue.h"
#include "mime/tests/cost.h"
#include "mime/tests/exact.h"
#include "mime/tests/oracle.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace Orvanta::Mime;
using Orvanta::Mime::Test::Exact;

namespace {

Params parse(const std::string& text, bool strict = true) {
    Exact exact(text);
    return Params(exact.data(), exact.size(), strict);
}

// name=value pairs in list order
std::string pairs(const Params& params) {
    std::string out;
    for (const auto& param : params.all())
        out += (out.empty() ? "" : "|") + param->name() + "=" + param->value();
    return out;
}

std::string written(const Params& params) {
    std::string out;
    Orvanta::Filter::String sink(&out);
    size_t count = params.encode(Capabilities::utf8(), &sink, false);
    EXPECT_EQ(count, out.size());
    return out;
}

std::string writtenFolded(const Params& params, const std::string& before) {
    std::string out;
    Orvanta::Filter::String sink(&out);
    size_t count;
    {
        Orvanta::Filter::LineTracker tracker(&sink);
        tracker.process(before.data(), before.size(), false);
        count = params.encode(Capabilities::utf8(), &tracker, false);
    }
    EXPECT_EQ(count + before.size(), out.size());
    return out;
}

Params withValue(const std::string& name, const std::string& value) {
    Params params;
    EXPECT_TRUE(params.set(name.c_str(), value));
    return params;
}

} // namespace

TEST(ParamsTest, Lists) {
    EXPECT_EQ(pairs(parse(" charset=us-ascii; format=flowed")), "charset=us-ascii|format=flowed");
    EXPECT_EQ(pairs(parse(" charset=\"us-ascii\";")), "charset=us-ascii");
    EXPECT_EQ(pairs(parse("a=b c=d")), "a=b");
    EXPECT_FALSE(parse("charset=utf-8 x; boundary=abc").whole());
    EXPECT_EQ(pairs(parse("=b; c=d")), "c=d");
    EXPECT_EQ(pairs(parse("a/b=c; d=e")), "d=e");
    EXPECT_EQ(pairs(parse("; a=b")), "a=b");
    EXPECT_EQ(pairs(parse(" a=b (comment) ; c=\"d;e\" ")), "a=b|c=d;e");
    EXPECT_EQ(pairs(parse("a=\"x;y; b=c")), ""); // the quoted string never closes
    // an escaped fold goes, the blank after it stays: no bare CR in a file
    // name (Python's default policy reads the same)
    EXPECT_EQ(pairs(parse(" name=\"r\\\r\n s\"")), "name=r s");
    EXPECT_EQ(pairs(parse("a=b; c=(x")), "a=b");
    EXPECT_EQ(pairs(parse("")), "");
}

TEST(ParamsTest, StrictValues) {
    EXPECT_EQ(pairs(parse("a=b/c")), "");
    EXPECT_EQ(pairs(parse("a=b/c", false)), "a=b/c");
    EXPECT_EQ(pairs(parse("a=\xc3\xa9")), "");
    EXPECT_EQ(pairs(parse("a=\xc3\xa9", false)), "a=\xc3\xa9");
    EXPECT_EQ(pairs(parse("a=b\tc; d=e")), "d=e"); // a control byte in a token
    EXPECT_EQ(pairs(parse("a=b,c; d=e")), "d=e");
}

TEST(ParamsTest, ExtendedValues) {
    EXPECT_EQ(pairs(parse("name*=utf-8''%E2%82%AC")), "name=\xe2\x82\xac");
    EXPECT_EQ(pairs(parse("name*=iso-8859-1'en'%E9t%E9")), "name=\xc3\xa9t\xc3\xa9");
    EXPECT_EQ(pairs(parse("name*=utf-8%E2; x=y")), "x=y");
    EXPECT_EQ(pairs(parse("name*=utf-8'en; x=y")), "x=y");
}

TEST(ParamsTest, UnknownCharsetsKeepAsciiValues) {
    struct Case {
        const char* text;
        const char* pairs;
    };
    const Case cases[] = {
        {"boundary*=\"ansi-x3.4-1968''EeQf%3D\"", "boundary=EeQf="},
        {"b*=ANSI-X3.4-1968''x%41", "b=xA"},
        {"b*=us-ascii''x", "b=x"},
        {"b*=ASCII'en'x", "b=x"},
        {"b*=ascii''caf%E9", "b=caf\xef\xbf\xbd"}, // not ASCII: the byte is U+FFFD, the rest kept
        {"name*=no-such-charset''abc; x=y", "name=abc|x=y"},
        {"name*=no-such-charset''a%E9c; x=y", "x=y"}, // no way to read the byte: dropped
        {"t*0*=x-unknown''a; t*1*=%62; t*2=c", "t=abc"},
        {"t*0*=x-unknown''a; t*1*=%FF", ""},
        // bytes of no charset anybody can name are kept as they are
        {"name*=unknown-8bit''caf%E9.txt", "name=caf\xe9.txt"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(pairs(parse(c.text)), c.pairs) << c.text;
}

TEST(ParamsTest, Sections) {
    EXPECT_EQ(pairs(parse("title*1=\"World\"; title*0=\"Hello \"")), "title=Hello World");
    EXPECT_EQ(pairs(parse("t*0=a; t*2=c")), "t=a");
    EXPECT_EQ(pairs(parse("t*1=b")), "t=b"); // no section 0: the lowest one leads
    EXPECT_EQ(pairs(parse("t*0*=utf-8''%C3%A9; t*1*=%C3%A9; t*2=%41")), "t=\xc3\xa9\xc3\xa9%41");
    // sections join after the unsectioned parameters, names ignore case
    EXPECT_EQ(pairs(parse("T*1=b; a=1; t*0=a")), "a=1|t=ab");
    // two parameters of the same name take their sections in text order
    EXPECT_EQ(pairs(parse("t*0=a; t*0=b; t*1=c; t*1=d")), "t=ac|t=bd");
    // text an unknown charset leaves unreadable loses only that parameter
    EXPECT_EQ(pairs(parse("t*0*=bogus''%FF; u*0=y")), "u=y");
}

// Bytes that did not convert read as U+FFFD; a field written again keeps
// them as they stood, or every reader would find the replacement character
// instead. The other parameters are written as ever.
TEST(ParamsTest, BytesThatDidNotConvertAreWrittenAsTheyStood) {
    struct Case {
        bool disposition;
        const char* text;
        const char* written;
    };
    const Case cases[] = {
        // encoded sections after a plain first one, which names no charset
        {false, "text/csv; name*0=\"costs \"; name*1*=%C3%A9t%C3%A9.csv; x=\"\xc3\xa9\"",
         "text/csv; x*=utf-8''%c3%a9; name*0=\"costs \"; name*1*=%C3%A9t%C3%A9.csv"},
        {true, "attachment; filename*0=\"a \"; filename*1*=%F1",
         "attachment; filename*0=\"a \"; filename*1*=%F1"},
        // in the order they stood, which some readers join them in
        {true, "inline; filename*1*=%F1; filename*0=\"a \"", "inline; filename*1*=%F1; filename*0=\"a \""},
        // a charset the bytes do not fit
        {false, "text/plain; name*=us-ascii''caf%E9.txt", "text/plain; name*=us-ascii''caf%E9.txt"},
        {true, "attachment; filename*=utf-8''r%E9sum%E9.doc; x=\"\xc3\xa9\"",
         "attachment; filename*=utf-8''r%E9sum%E9.doc; x*=utf-8''%c3%a9"},
        // so are sections that make no whole: a number twice, a gap
        {true, "attachment; name*0=abc; name*0=xyz; name*1=def; x=\"\xc3\xa9\"",
         "attachment; x*=utf-8''%c3%a9; name*0=abc; name*0=xyz; name*1=def"},
        {true, "attachment; name*0=abc; x=\"\xc3\xa9\"; name*2=def",
         "attachment; x*=utf-8''%c3%a9; name*0=abc; name*2=def"},
    };
    for (const Case& c : cases) {
        Exact exact(c.text);
        std::string out = c.disposition ? ContentDisposition(exact.data(), exact.size()).str(false)
                                        : ContentType(exact.data(), exact.size(), true).str(false);
        EXPECT_EQ(out, c.written) << c.text;
    }
}

TEST(ParamsTest, HugeSectionNumbersDoNotWrapIntoContinuations) {
    // 2^64 + 1 wraps to 1 in 64 bits
    EXPECT_EQ(pairs(parse("t*0=a; t*18446744073709551617=EVIL")), "t=a");
}

TEST(ParamsTest, ManySectionsJoinQuickly) {
    std::string text;
    for (int i = 0; i < 20000; ++i)
        text += "; n" + std::to_string(i) + "*0=v";
    auto params = parse(text);
    EXPECT_EQ(params.all().size(), 20000u);
    std::string chain;
    for (int i = 19999; i >= 0; --i)
        chain += "; t*" + std::to_string(i) + "=x";
    EXPECT_EQ(parse(chain).get("t"), std::string(20000, 'x'));
}

// Names whose sections make no whole (a gap, a number twice) are written
// back as their sections stood: reading them costs time in proportion to
// their number, as joining whole ones does.
TEST(ParamsTest, SectionsThatMakeNoWholeCostLinearTime) {
    struct Row {
        const char* first;
        const char* second; // none when empty
    } const rows[] = {{"*1=v", ""}, {"*0=a", "*0=b"}, {"*0*=bogus''%FF", "*0*=bogus''%FF"}};
    size_t benchmark = 0; // what was written, kept so that the work is done
    for (const Row& row : rows) {
        auto parseAndWrite = [&](size_t count) {
            std::string text;
            for (size_t i = 0; i < count; ++i) {
                text += "; n" + std::to_string(i) + row.first;
                if (*row.second != 0) text += "; n" + std::to_string(i) + row.second;
            }
            benchmark = written(parse(text)).size();
        };
        EXPECT_LT(Orvanta::Mime::Test::growth(parseAndWrite, 2000), Orvanta::Mime::Test::linear) << row.first;
    }
}

TEST(ParamsTest, LookupAndSet) {
    auto params = parse("A=1; b=2");
    ASSERT_NE(params.parameter("a"), nullptr);
    EXPECT_EQ(params.get("a"), "1");
    EXPECT_EQ(params.get("missing"), "");
    EXPECT_EQ(params.parameter("missing"), nullptr);
    EXPECT_TRUE(params.set("B", "3"));
    EXPECT_EQ(pairs(params), "A=1|b=3");
    EXPECT_TRUE(params.set("c", std::string("4")));
    EXPECT_EQ(pairs(params), "A=1|b=3|c=4");
    EXPECT_FALSE(params.set("bad name", "x"));
    EXPECT_FALSE(params.set("a", static_cast<const char*>(nullptr)));
    EXPECT_FALSE(params.set(nullptr, "x"));
    // readers part at a NUL: one takes the name up to it, another the whole
    for (const char* name : {"filename", "name", "charset", "boundary", "b"})
        EXPECT_FALSE(params.set(name, std::string("evil.exe\0.pdf", 13))) << name;
    // a name that readers take for a section or an encoded value, or drop
    for (const char* name : {"a*", "a*0", "a*b", "utf-8''x", "a%00b"})
        EXPECT_FALSE(params.set(name, "v")) << name;
    EXPECT_EQ(pairs(params), "A=1|b=3|c=4");
}

TEST(ParamsTest, NamesAreCopied) {
    Params params;
    {
        std::string name = "charset";
        ASSERT_TRUE(params.set(name.c_str(), "utf-8"));
        name.assign(name.size(), 'X');
    }
    EXPECT_EQ(params.get("charset"), "utf-8");
    EXPECT_EQ(written(params), "; charset=utf-8");
}

TEST(ParamsTest, Writing) {
    EXPECT_EQ(written(withValue("a", "x")), "; a=x");
    EXPECT_EQ(written(withValue("a", "x y")), "; a=\"x y\"");
    EXPECT_EQ(written(withValue("a", "x\"y\\")), "; a=\"x\\\"y\\\\\"");
    EXPECT_EQ(written(withValue("a", "\xc3\xa9")), "; a*=utf-8''%c3%a9");
    EXPECT_EQ(written(withValue("a", "a b\xc3\xa9")), "; a*=utf-8''a%20b%c3%a9");
    // bytes that are not UTF-8 are labelled as what they are, and read back
    EXPECT_EQ(written(withValue("name", "caf\xe9.txt")), "; name*=unknown-8bit''caf%e9.txt");
    EXPECT_EQ(pairs(parse(written(withValue("name", "caf\xe9.txt")).substr(1))), "name=caf\xe9.txt");
    // ',' would be refused bare by the strict reader
    EXPECT_EQ(written(withValue("a", "x,y")), "; a=\"x,y\"");
    EXPECT_EQ(pairs(parse(written(withValue("a", "x,y")).substr(1))), "a=x,y");
    // a line end is never written raw
    EXPECT_EQ(written(withValue("a", "x\r\ny")), "; a*=utf-8''x%0d%0ay");
    // a token has at least one byte: an empty value is written quoted
    EXPECT_EQ(written(withValue("a", "")), "; a=\"\"");
    EXPECT_EQ(pairs(parse(written(withValue("a", "")).substr(1))), "a=");
}

TEST(ParamsTest, LongValuesAreSplitIntoSections) {
    std::string value(100, 'v');
    std::string out = written(withValue("name", value));
    EXPECT_EQ(out.substr(0, 12), "; \r\n name*0=");
    EXPECT_NE(out.find("\r\n name*1="), std::string::npos);
    size_t start = 0;
    for (size_t end; (end = out.find("\r\n", start)) != std::string::npos; start = end + 2)
        EXPECT_LE(end - start, 78u);
    EXPECT_EQ(parse(out.substr(1)).get("name"), value);

    std::string utf8;
    for (int i = 0; i < 40; ++i)
        utf8 += "\xc3\xa9 x";
    std::string encoded = written(withValue("filename", utf8));
    EXPECT_NE(encoded.find("filename*0*=utf-8''"), std::string::npos);
    EXPECT_NE(encoded.find("filename*1*="), std::string::npos);
    EXPECT_EQ(parse(encoded.substr(1)).get("filename"), utf8);

    std::string quoted = written(withValue("q", std::string(60, 'a') + " " + std::string(60, 'b')));
    EXPECT_NE(quoted.find("q*1=\""), std::string::npos);
    EXPECT_EQ(parse(quoted.substr(1)).get("q"), std::string(60, 'a') + " " + std::string(60, 'b'));
}

TEST(ParamsTest, AFoldedListReadsBack) {
    Params params;
    params.set("charset", "utf-8");
    params.set("name", std::string(90, 'n'));
    std::string out = writtenFolded(params, "Content-Type: text/plain");
    EXPECT_EQ(out.substr(0, 39), "Content-Type: text/plain; charset=utf-8");
    EXPECT_EQ(pairs(parse(out.substr(25))), "charset=utf-8|name=" + std::string(90, 'n'));
}

TEST(ParamsTest, AgreesWithPython) {
    std::vector<std::pair<std::string, std::string>> cases = {
        {"; charset=us-ascii; format=flowed", "format"},
        {"; charset=\"us-ascii\"", "charset"},
        {"; title*1=\"World\"; title*0=\"Hello \"", "title"},
        {"; name*=utf-8''%E2%82%AC", "name"},
        {"; name*=iso-8859-1'en'%E9t%E9", "name"},
        {"; t*0*=utf-8''%C3%A9; t*1*=%C3%A9", "t"},
        {"; t*0=a; t*1=b; t*2=c", "t"},
        {"; filename=\"a \\\"b\\\" c\"", "filename"},
        {"; x=\"a;b\"; y=z", "y"},
        {"; boundary=\"----=_Part_0_12345.67890\"", "boundary"},
        // blanks and comments between a parameter's tokens
        {"; boundary = \"XYZ\"", "boundary"},
        {"; charset =utf-8; format= flowed", "format"},
        // an encoded section after a plain one; a byte not of the charset;
        // a stray word, skipped up to the next ';'
        {"; title*0=abc; title*1*=%41%20b", "title"},
        {"; title*=utf-8''caf%E9x", "title"},
        {"; charset=utf-8 x; boundary=abc", "boundary"},
        // an extended boundary with blanks around "=", and ones marked
        // extended that name no charset (malformed)
        {"; boundary* = ''abc", "boundary"},
        {"; boundary*=abc", "boundary"},
        {"; boundary*=\"abc\"", "boundary"},
        {"; boundary*=a%62c", "boundary"},
        {"; boundary*0*=abc", "boundary"},
        // sections without a section 0, plain and encoded
        {"; filename*1=\"b\"; filename*2=\"c.txt\"", "filename"},
        {"; t*2=x; t*1*=%41", "t"},
        // an escape cut off by a section's end stands as its text
        {"; a*0*=utf-8''x%4; a*1=b; a*2*=1", "a"},
        {"; a*0*=utf-8''%; a*1=b", "a"},
        {"; a*0*=utf-8''x%4; a*1*=1", "a"},
    };
    std::vector<Orvanta::Mime::Test::Request> requests;
    for (const auto& [text, name] : cases)
        requests.push_back({"param", text, name});
    // what we write must read back the same in Python
    std::vector<std::string> values = {
        "x y", "\xc3\xa9t\xc3\xa9 \xe2\x82\xac", std::string(150, 'z'), "a\"b\\c", "x,y",
        // bare, a reader takes these for a section or a charset
        "a*b", "x'y'z", std::string(50, 'w') + " " + std::string(50, 'w'),
        "\xe6\x97\xa5\xe6\x9c\xac\xe8\xaa\x9e" + std::string(30, 'k') + "\xe6\x97\xa5"};
    // under both of Python's policies
    std::vector<std::string> writtenValues;
    for (const auto& value : values) {
        writtenValues.push_back(written(withValue("p", value)));
        requests.push_back({"param", writtenValues.back(), "p"});
        requests.push_back({"param", writtenValues.back(), "p", "default"});
    }
    auto answers = Orvanta::Mime::Test::ask(requests);
    for (size_t i = 0; i < cases.size(); ++i) {
        ASSERT_EQ(answers[i].size(), 2u) << cases[i].first;
        EXPECT_EQ(parse(cases[i].first.substr(1)).get(cases[i].second.c_str()), answers[i][1])
            << cases[i].first;
    }
    for (size_t i = 0; i < 2 * values.size(); ++i) {
        const auto& answer = answers[cases.size() + i];
        ASSERT_EQ(answer.size(), 2u) << writtenValues[i / 2];
        EXPECT_EQ(answer[1], values[i / 2]) << writtenValues[i / 2] << (i % 2 ? " (default policy)" : "");
    }
}

TEST(ParamsTest, ExtendedValuesAgreeWithPythonDecoder) {
    std::vector<std::string> texts = {"utf-8''%E2%82%AC",
                                      "iso-8859-1'en'%E9t%E9",
                                      "us-ascii'en-us'This%20is%20%2A%2A%2Afun%2A%2A%2A",
                                      "utf-8'de'Gr%C3%BC%C3%9Fe",
                                      "iso-8859-15''%A4uro",
                                      "utf-8''plain"};
    std::vector<Orvanta::Mime::Test::Request> requests;
    for (const auto& text : texts) {
        requests.push_back({"rfc2231", text});
        requests.push_back({"param", "; x*=" + text, "x"});
    }
    auto answers = Orvanta::Mime::Test::ask(requests);
    for (size_t i = 0; i < texts.size(); ++i) {
        const auto& split = answers[2 * i];
        const auto& value = answers[2 * i + 1];
        ASSERT_EQ(split.size(), 3u);
        ASSERT_EQ(value.size(), 2u);
        ParamCharset charset(texts[i].data(), texts[i].size());
        EXPECT_EQ(charset.charset(), split[0]) << texts[i];
        std::string decoded;
        ParamValue::decodeExtended(texts[i].data(), texts[i].size(), decoded);
        EXPECT_EQ(decoded, value[1]) << texts[i];
    }
}
