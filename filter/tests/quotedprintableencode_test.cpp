#include "filter/quotedprintabledecode.h"
#include "filter/quotedprintableencode.h"
#include "filter/tests/chunked.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

using namespace Orvanta::Filter;
using namespace Orvanta::Filter::Testing;

const Make encode = [](Result* next) { return std::make_unique<QuotedPrintableEncode>(next); };
const Make decode = [](Result* next) { return std::make_unique<QuotedPrintableDecode>(next); };

// Line ends as the encoder writes them: CR LF and lone LF become CR LF, a
// lone CR stays one (escaped).
std::string crlf(const std::string& text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
        if (text[i] == '\n')
            out += "\r\n";
        else
            out += text[i];
    }
    return out;
}

// Every line at most 76 bytes, none ending in white space, only printable
// ASCII (the last line may lack its line end).
void expectWellFormed(const std::string& encoded) {
    size_t start = 0;
    while (start < encoded.size()) {
        size_t end = std::min(encoded.find("\r\n", start), encoded.size());
        std::string line = encoded.substr(start, end - start);
        EXPECT_LE(line.size(), 76u) << line;
        if (!line.empty()) {
            EXPECT_TRUE(line.back() != ' ' && line.back() != '\t') << line;
        }
        for (unsigned char c : line)
            EXPECT_TRUE(c == '\t' || (c >= 0x20 && c < 0x7f)) << line;
        start = end + 2;
    }
}

TEST(QuotedPrintableEncodeTest, LongLinesGetSoftBreaks) {
    EXPECT_EQ(run(encode, std::string(100, 'a') + "\n"),
              std::string(75, 'a') + "=\r\n" + std::string(25, 'a') + "\r\n");
    EXPECT_EQ(run(encode, std::string(74, 'a') + "\xe9"), std::string(74, 'a') + "=\r\n=E9");
    EXPECT_EQ(run(encode, std::string(72, 'a') + "\xe9" + "b"), std::string(72, 'a') + "=E9=\r\nb");
    EXPECT_EQ(run(encode, std::string(76, 'a')), std::string(75, 'a') + "=\r\na");
}

TEST(QuotedPrintableEncodeTest, EscapesAndLineEnds) {
    EXPECT_EQ(run(encode, "a=b\xe9\x7f\x01\tc"), "a=3Db=E9=7F=01\tc");
    EXPECT_EQ(run(encode, "a\r\nb"), "a\r\nb");
    // a lone CR ends no line: a break there would make a line (a multipart
    // delimiter) the text never had
    EXPECT_EQ(run(encode, "a\r--b--\r\n"), "a=0D--b--\r\n");
    EXPECT_EQ(run(encode, std::vector<std::string>{"a\r", "b\r"}), "a=0Db=0D");
    EXPECT_EQ(run(encode, std::vector<std::string>{"a\r", "\nb"}), "a\r\nb");
    // nor does any line start with "-", a soft break's included
    EXPECT_EQ(run(encode, std::string(75, 'a') + "--b--\r\n"), std::string(75, 'a') + "=\r\n=2D-b--\r\n");
    EXPECT_EQ(run(encode, std::string(200, 'a') + "--b--"), std::string(75, 'a') + "=\r\n" +
                                                                std::string(75, 'a') + "=\r\n" +
                                                                std::string(50, 'a') + "--b--");
    EXPECT_EQ(run(encode, std::string(73, 'a') + "\xfc--b--"), std::string(73, 'a') + "=\r\n=FC--b--");
    EXPECT_EQ(run(encode, std::string(72, 'a') + "\xfc--b--"), std::string(72, 'a') + "=FC=\r\n=2D-b--");
    EXPECT_EQ(run(encode, "--b--\r\n- x\n-"), "=2D-b--\r\n=2D x\r\n=2D");
    EXPECT_EQ(run(encode, std::string("\0", 1)), "=00");
}

TEST(QuotedPrintableEncodeTest, TrailingWhiteSpaceIsProtected) {
    EXPECT_EQ(run(encode, "x \n"), "x =\r\n\r\n");
    EXPECT_EQ(run(encode, "x\t\ny"), "x\t=\r\n\r\ny");
    EXPECT_EQ(run(encode, "x ", true), "x =\r\n");
    // Also when the chain simply ends without a flush.
    EXPECT_EQ(run(encode, "x ", false), "x =\r\n");
    EXPECT_EQ(run(encode, "x", false), "x");

    Recorder sink;
    {
        QuotedPrintableEncode encoder(&sink);
        encoder.process("a \t", 3, true);
        EXPECT_EQ(encoder.flush(), 3u);
        EXPECT_EQ(sink.flushes, 1);
        EXPECT_EQ(encoder.flush(), 0u) << "the second flush has nothing to protect";
    }
    EXPECT_EQ(sink.bytes, "a \t=\r\n");
}

TEST(QuotedPrintableEncodeTest, FlagsOfWhatIsPushed) {
    Recorder sink;
    QuotedPrintableEncode encoder(&sink);
    // a long unchanged run goes on as a slice of the input; the escape (and
    // any soft break) from the filter's own buffer
    std::string input = std::string(70, 'a') + "\xe9";
    EXPECT_EQ(encoder.process(input.data(), input.size(), true), 73u);
    ASSERT_EQ(sink.pushes.size(), 2u);
    EXPECT_TRUE(sink.pushes[0].persistent);
    EXPECT_FALSE(sink.pushes[1].persistent);
}

TEST(QuotedPrintableEncodeTest, RoundTripsThroughPythonAndBack) {
    std::mt19937 random(9);
    std::vector<std::string> inputs;
    for (int i = 0; i < 60; ++i)
        inputs.push_back(randomBytes(random, i * 7));
    for (int i = 0; i < 60; ++i)
        inputs.push_back(randomBytes(random, i * 11, "ab =\t\r\n\xe9.x"));
    // long unchanged runs, which go on as slices of the input, between rare
    // escapes, blanks and line ends
    const std::string mostlyRuns = std::string(300, 'a') + " \t=\r\n\xe9";
    for (int i = 0; i < 30; ++i)
        inputs.push_back(randomBytes(random, i * 40, mostlyRuns));
    std::vector<std::string> encoded;
    for (const auto& input : inputs) {
        encoded.push_back(run(encode, input));
        expectWellFormed(encoded.back());
        EXPECT_EQ(hex(run(decode, encoded.back())), hex(crlf(input)));
        expectSplitInvariant(encode, input, false, random);
    }
    auto decoded = pythonMap("import quopri\ndef f(b): return quopri.decodestring(b)", encoded);
    for (size_t i = 0; i < inputs.size(); ++i)
        EXPECT_EQ(hex(decoded[i]), hex(crlf(inputs[i])));
    // And the other way: what Python encodes, the decoder reads back.
    auto python =
        pythonMap("import quopri\ndef f(b): return quopri.encodestring(b, quotetabs=False)", inputs);
    auto expected = pythonMap("import quopri\ndef f(b): return quopri.decodestring(b)", python);
    for (size_t i = 0; i < inputs.size(); ++i)
        EXPECT_EQ(hex(run(decode, python[i])), hex(expected[i]));
}

} // namespace
