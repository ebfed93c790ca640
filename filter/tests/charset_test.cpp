#include "filter/charset.h"
#include "filter/tests/chunked.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace {

using namespace Orvanta::Filter;
using namespace Orvanta::Filter::Testing;
using Orvanta::Test::runProcess;

Make converter(const char* from, const char* to) {
    return [from, to](Result* next) { return std::make_unique<Charset>(from, to, next); };
}

std::string iconvCommand(const std::string& from, const std::string& to, const std::string& input) {
    // The C locale, as this process has it: transliteration depends on it.
    auto result = runProcess({"iconv", "-c", "-f", from, "-t", to}, input, {"LC_ALL=C"});
    // -c reports skipped bytes through the status; the output is what counts.
    EXPECT_TRUE(result.status == 0 || result.status == 1) << result.err;
    return result.out;
}

TEST(CharsetTest, CharacterSplitAcrossPiecesWaitsForItsRest) {
    Recorder sink;
    Charset charset("UTF-8", "UTF-8", &sink);
    EXPECT_EQ(charset.process("\xc3", 1, true), 0u);
    EXPECT_TRUE(sink.pushes.empty());
    EXPECT_EQ(charset.process("\xa9", 1, true), 2u);
    EXPECT_EQ(sink.bytes, "\xc3\xa9");
    EXPECT_FALSE(sink.pushes[0].persistent);
    EXPECT_EQ(charset.process("", 0, true), 0u);
}

TEST(CharsetTest, UnknownCharsetsAndNullTargetThrow) {
    std::string out;
    String sink(&out);
    try {
        Charset charset("no-such-charset", "utf-8", &sink);
        FAIL() << "opened an unknown charset";
    } catch (const std::runtime_error& error) {
        EXPECT_STREQ(error.what(), "Conversion not possible");
    }
    EXPECT_THROW(Charset("utf-8", "no-such-charset", &sink), std::runtime_error);
    EXPECT_THROW(Charset("utf-8", nullptr, &sink), std::logic_error);
    EXPECT_THROW(Charset(nullptr, "utf-8", &sink), std::logic_error);
}

TEST(CharsetTest, InvalidBytesAreSkippedOneByOne) {
    EXPECT_EQ(run(converter("UTF-8", "UTF-8"), "a\xff"
                                               "b\xc3\xc3\xa9"),
              "ab\xc3\xa9");
    // A sequence cut off at the very end is dropped with the filter.
    EXPECT_EQ(run(converter("UTF-8", "UTF-8"), "ab\xe2\x82"), "ab");
}

TEST(CharsetTest, AgreesWithTheIconvCommand) {
    std::mt19937 random(5);
    struct Case {
        const char* from;
        const char* to;
        std::string input;
    };
    std::string utf8 = "caf\xc3\xa9 \xe2\x82\xac 5 \xc5\x93uvre \xf0\x9f\x98\x80 \xe6\x97\xa5\xe6\x9c\xac";
    std::vector<Case> cases{
        {"ISO-8859-1", "UTF-8", randomBytes(random, 300)},
        {"UTF-8", "ISO-8859-1", utf8},
        {"UTF-8", "UTF-16LE", utf8},
        {"UTF-16LE", "UTF-8", iconvCommand("UTF-8", "UTF-16LE", utf8)},
        {"WINDOWS-1252", "UTF-8", "\x80\x93quoted\x94 \xe9t\xe9"},
        {"UTF-8", "ISO-2022-JP", "\xe6\x97\xa5\xe6\x9c\xac abc \xe6\x97\xa5"},
        {"UTF-8", "ASCII", utf8},
    };
    for (const auto& item : cases) {
        std::string expected = iconvCommand(item.from, std::string(item.to) + "//TRANSLIT", item.input);
        auto make = converter(item.from, item.to);
        EXPECT_EQ(hex(run(make, item.input)), hex(expected)) << item.from << " to " << item.to;
        expectSplitInvariant(make, item.input, false, random);
    }
}

TEST(CharsetTest, FlushEndsAShiftedTargetState) {
    std::string out;
    String sink(&out);
    Charset charset("UTF-8", "ISO-2022-JP", &sink);
    std::string japanese = "\xe6\x97\xa5";
    charset.process(japanese.data(), japanese.size(), false);
    charset.flush();
    EXPECT_EQ(out, iconvCommand("UTF-8", "ISO-2022-JP", japanese));
    std::string flushed = out;
    charset.flush();
    EXPECT_EQ(out, flushed) << "a second flush adds nothing";
}

} // namespace
