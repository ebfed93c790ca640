#include "filter/hexdecode.h"
#include "filter/hexencode.h"
#include "filter/mimehex.h"
#include "filter/rfc2231.h"
#include "filter/tests/chunked.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cstdio>

namespace {

using namespace Orvanta::Filter;
using namespace Orvanta::Filter::Testing;

const Make rfc2231 = [](Result* next) { return std::make_unique<Rfc2231>(next); };
const Make hexDecode = [](Result* next) { return std::make_unique<HexDecode>(next); };
const Make plainHex = [](Result* next) { return std::make_unique<HexEncode>(next, nullptr); };

std::string allBytes() {
    std::string bytes;
    for (int i = 0; i < 256; ++i)
        bytes += static_cast<char>(i);
    return bytes;
}

TEST(MimeHexTest, WritesUpperCaseEscapesAndReadsThemBack) {
    MimeHex newline('\n');
    EXPECT_EQ(std::string(newline.data(), MimeHex::size()), "=0A");
    EXPECT_EQ(std::string(MimeHex('\xe9').data(), 3), "=E9");
    for (int i = 0; i < 256; ++i) {
        MimeHex escape(static_cast<char>(i));
        EXPECT_EQ(static_cast<unsigned char>(escape.byte()), i);
        // Lower-case digits read the same.
        MimeHex lower(static_cast<char>(std::tolower(escape.data()[1])),
                      static_cast<char>(std::tolower(escape.data()[2])));
        EXPECT_EQ(static_cast<unsigned char>(lower.byte()), i);
    }
    EXPECT_EQ(MimeHex('4', 'g').byte(), 0x40);
}

TEST(MimeHexTest, TableKnowsExactlyTheHexDigits) {
    std::string digits;
    for (int i = 0; i < 256; ++i)
        if (isHexDigit(static_cast<char>(i))) digits += static_cast<char>(i);
    EXPECT_EQ(digits, "0123456789ABCDEFabcdef");
    EXPECT_EQ(hexTable['f'], 15);
    EXPECT_EQ(hexTable['G'], 0x40);
    EXPECT_EQ(std::string(hexChars), "0123456789ABCDEF");
}

TEST(HexEncodeTest, Rfc2231EscapesSpecialsAndEightBitBytes) {
    EXPECT_EQ(run(rfc2231, "a b*c"), "a%20b%2ac");
    EXPECT_EQ(run(rfc2231, "Hello-World_09.~"), "Hello-World_09.~");
    EXPECT_EQ(run(rfc2231, " *'%()<>@,;:\\\"/[]?="),
              "%20%2a%27%25%28%29%3c%3e%40%2c%3b%3a%5c%22%2f%5b%5d%3f%3d");
    EXPECT_EQ(run(rfc2231, "\x80\xff\xc3\xa9"), "%80%ff%c3%a9");
    EXPECT_EQ(run(rfc2231, std::string("a\0b", 3)), "a%00b");
}

TEST(HexEncodeTest, WithoutSetOnlyUnprintableBytesAreEscaped) {
    std::string expected;
    for (int i = 0; i < 256; ++i) {
        if (i >= 0x20 && i < 0x7f) {
            expected += static_cast<char>(i);
        } else {
            char escape[4];
            std::snprintf(escape, sizeof escape, "%%%02x", i);
            expected += escape;
        }
    }
    EXPECT_EQ(run(plainHex, allBytes()), expected);
    HexEncode encoder(nullptr, "ab");
    EXPECT_FALSE(encoder.allowed('a'));
    EXPECT_TRUE(encoder.allowed('c'));
    EXPECT_FALSE(encoder.allowed('\0')) << "a zero byte is never printable";
}

TEST(HexEncodeTest, SlicesKeepTheFlagAndEscapesAreNotPersistent) {
    Recorder sink;
    Rfc2231 encoder(&sink);
    EXPECT_EQ(encoder.process("ab cd", 5, true), 7u);
    ASSERT_EQ(sink.pushes.size(), 3u);
    EXPECT_EQ(sink.pushes[0].bytes, "ab");
    EXPECT_TRUE(sink.pushes[0].persistent);
    EXPECT_EQ(sink.pushes[1].bytes, "%20");
    EXPECT_FALSE(sink.pushes[1].persistent);
    EXPECT_TRUE(sink.pushes[2].persistent);
    EXPECT_EQ(encoder.process("", 0, true), 0u);
    EXPECT_EQ(sink.pushes.size(), 3u);
}

TEST(HexDecodeTest, EscapesAcrossPieces) {
    EXPECT_EQ(run(hexDecode, std::vector<std::string>{"%4", "1x"}), "Ax");
    EXPECT_EQ(run(hexDecode, std::vector<std::string>{"a%", "2A%2a"}), "a**");
    EXPECT_EQ(run(hexDecode, "%c3%A9"), "\xc3\xa9");
    EXPECT_EQ(run(hexDecode, "%00"), std::string(1, '\0'));
}

TEST(HexDecodeTest, InvalidOrCutEscapesStayText) {
    EXPECT_EQ(run(hexDecode, "%zz"), "%zz");
    EXPECT_EQ(run(hexDecode, "%4g"), "%4g");
    EXPECT_EQ(run(hexDecode, "%%41"), "%A");
    EXPECT_EQ(run(hexDecode, "%4%41"), "%4A");
    EXPECT_EQ(run(hexDecode, std::vector<std::string>{"a%", "", "4"}), "a%4");
    EXPECT_EQ(run(hexDecode, "100%"), "100%");
}

TEST(HexDecodeTest, HeldEscapeIsWrittenOnlyAtDestruction) {
    Recorder sink;
    {
        HexDecode decoder(&sink);
        EXPECT_EQ(decoder.process("x%4", 3, true), 1u);
        decoder.flush();
        EXPECT_EQ(sink.bytes, "x");
    }
    EXPECT_EQ(sink.bytes, "x%4");
}

TEST(HexDecodeTest, AgreesWithUrllibUnquote) {
    std::mt19937 random(7);
    std::vector<std::string> inputs;
    for (int i = 0; i < 200; ++i)
        inputs.push_back(randomBytes(random, i % 40, "%%%0123456789abcdefABCDEFgxyz \x80\xff"));
    auto expected = pythonMap("from urllib.parse import unquote_to_bytes\n"
                              "def f(b): return unquote_to_bytes(b)",
                              inputs);
    for (size_t i = 0; i < inputs.size(); ++i) {
        EXPECT_EQ(hex(run(hexDecode, inputs[i])), hex(expected[i])) << inputs[i];
        expectSplitInvariant(hexDecode, inputs[i], false, random);
    }
}

TEST(HexDecodeTest, ReversesRfc2231AsPythonReadsIt) {
    std::mt19937 random(11);
    std::vector<std::string> inputs{allBytes()};
    for (int i = 0; i < 50; ++i)
        inputs.push_back(randomBytes(random, i * 3));
    std::vector<std::string> encoded;
    for (const auto& input : inputs) {
        encoded.push_back(run(rfc2231, input));
        expectSplitInvariant(rfc2231, input, false, random);
        EXPECT_EQ(run(hexDecode, encoded.back()), input);
    }
    // Python reads the extended value as an RFC 2231 parameter would carry it.
    auto decoded = pythonMap("from email.utils import decode_rfc2231\n"
                             "from urllib.parse import unquote_to_bytes\n"
                             "def f(b):\n"
                             "    charset, language, text = decode_rfc2231(\"utf-8''\" + b.decode('ascii'))\n"
                             "    return unquote_to_bytes(text)",
                             encoded);
    for (size_t i = 0; i < inputs.size(); ++i)
        EXPECT_EQ(hex(decoded[i]), hex(inputs[i]));
}

} // namespace
