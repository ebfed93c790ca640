#include "filter/base64decode.h"
#include "filter/base64encode.h"
#include "filter/tests/chunked.h"

#include <gtest/gtest.h>

namespace {

using namespace Orvanta::Filter;
using namespace Orvanta::Filter::Testing;

const Make encode = [](Result* next) { return std::make_unique<Base64Encode>(next); };
const Make decode = [](Result* next) { return std::make_unique<Base64Decode>(false, next); };
const Make decodeLines = [](Result* next) { return std::make_unique<Base64Decode>(true, next); };

TEST(Base64EncodeTest, WholeGroupsComeOutAtOnceAndPaddingOnFlush) {
    Recorder sink;
    Base64Encode encoder(&sink);
    EXPECT_EQ(encoder.process("abc", 3, true), 4u);
    EXPECT_EQ(sink.bytes, "YWJj");
    EXPECT_EQ(encoder.flush(), 0u);
    EXPECT_EQ(sink.flushes, 1);
    EXPECT_EQ(encoder.process("ab", 2, true), 0u);
    EXPECT_EQ(encoder.flush(), 4u);
    EXPECT_EQ(sink.bytes, "YWJjYWI=");
    EXPECT_EQ(encoder.flush(), 0u) << "a second flush writes nothing more";
    for (const auto& push : sink.pushes)
        EXPECT_FALSE(push.persistent);
}

TEST(Base64EncodeTest, DestructionWritesThePadding) {
    EXPECT_EQ(run(encode, "a"), "YQ==");
    EXPECT_EQ(run(encode, ""), "");
    std::string hundred(100, 'x');
    std::string one = run(encode, hundred);
    EXPECT_EQ(run(encode, bytewise(hundred)), one);
    EXPECT_EQ(one.find('\n'), std::string::npos);
}

TEST(Base64DecodeTest, GroupsSplitAcrossPieces) {
    EXPECT_EQ(run(decode, std::vector<std::string>{"YW", "Jj"}), "abc");
    EXPECT_EQ(run(decode, std::vector<std::string>{"Y", "W", "J", "j", "Y", "Q", "=", "="}), "abca");
    EXPECT_EQ(run(decode, "YWJj\r\nYW Jj\tYQ=="), "abcabca") << "white space between groups and inside them";
    EXPECT_EQ(run(decodeLines, "YWJj\nYWJj\n"), "abcabc");
    EXPECT_EQ(run(decode, "YW*Jj"), "abc") << "characters outside the alphabet are skipped";
}

TEST(Base64DecodeTest, PaddingEndsTheData) {
    EXPECT_EQ(run(decode, "YQ==YWJj"), "a");
    EXPECT_EQ(run(decode, std::vector<std::string>{"YQ=", "=", "YWJj"}), "a");
    EXPECT_EQ(run(decode, "YWI=YWJj"), "ab");
}

TEST(Base64DecodeTest, UnpaddedFinalGroupGivesItsBytesAtTheEnd) {
    struct Case {
        std::vector<std::string> pieces;
        const char* bytes;
    };
    const Case cases[] = {
        {{"YWJjZA"}, "abcd"},
        {{"YWJjZGU"}, "abcde"},
        {{"YWJ"}, "ab"},
        {{"YW", "J"}, "ab"},
        {{"YWJjZ"}, "abc"},       // a lone digit holds no byte
        {{"w6k"}, "\xc3\xa9"},    // the body of "=?utf-8?b?w6k?="
        {{"YWJjZA\r\n"}, "abcd"}, // line end after the last group
        {{"YWJjZA", "\r\n", "  "}, "abcd"},
        {{""}, ""},
    };
    std::mt19937 random(23);
    for (const Case& c : cases) {
        EXPECT_EQ(run(decode, c.pieces), c.bytes) << c.pieces.front();
        std::string whole;
        for (const auto& piece : c.pieces)
            whole += piece;
        expectSplitInvariant(decode, whole, false, random);
    }
    // finish() is the end for a caller that counts the bytes.
    Recorder ended;
    Base64Decode early(false, &ended);
    early.process("YWJ", 3, false);
    EXPECT_EQ(early.finish(), 2u);
    EXPECT_EQ(early.process("YQ==", 4, false), 0u) << "nothing after the end";
    EXPECT_EQ(ended.bytes, "ab");
    // Padding still ends the data first: nothing is held back for the end.
    Recorder sink;
    {
        Base64Decode decoder(false, &sink);
        decoder.process("YWI=", 4, false);
        EXPECT_EQ(sink.bytes, "ab");
        decoder.process("YWJ", 3, false);
    }
    EXPECT_EQ(sink.bytes, "ab");
}

TEST(Base64DecodeTest, MisplacedPaddingEndsTheDataWithoutInventingBytes) {
    // "=" can only stand third or fourth in a group. Wherever it stands, the
    // data ends there: the bytes that the characters before it hold come out,
    // and nothing is made up from the "=" or from what follows it.
    EXPECT_EQ(run(decode, "YQ=B"), "a") << "a character after a single \"=\"";
    EXPECT_EQ(run(decode, "YWJjZA=B"), "abcd");
    EXPECT_EQ(run(decode, "YWI=B"), "ab");
    EXPECT_EQ(run(decode, "=YWJj"), "") << "\"=\" opening the first group";
    EXPECT_EQ(run(decode, "YWJj=YWJj"), "abc") << "\"=\" opening a later group";
    EXPECT_EQ(run(decode, "YWJjY=YQ"), "abc") << "a lone character holds no byte";
    EXPECT_EQ(run(decode, "Y==="), "");
    std::mt19937 random(5);
    for (const char* text : {"YQ=B", "YWJj=YWJj", "YWJjY=YQ", "YW\r\nJjZA\t=B"})
        expectSplitInvariant(decode, text, false, random);
}

TEST(Base64Test, AgreesWithPythonBothWays) {
    std::mt19937 random(17);
    std::vector<std::string> inputs;
    for (int i = 0; i < 80; ++i)
        inputs.push_back(randomBytes(random, i * 5 % 200));
    inputs.push_back(randomBytes(random, 100000));
    auto python = pythonMap("import base64\ndef f(b): return base64.b64encode(b)", inputs);
    for (size_t i = 0; i < inputs.size(); ++i) {
        std::string encoded = run(encode, inputs[i]);
        EXPECT_EQ(encoded, python[i]);
        EXPECT_EQ(hex(run(decode, encoded)), hex(inputs[i]));
        if (inputs[i].size() < 1000) {
            expectSplitInvariant(encode, inputs[i], false, random);
            expectSplitInvariant(decode, encoded, false, random);
        }
    }
    // Python's MIME line layout decodes too.
    auto mime = pythonMap("import base64\ndef f(b): return base64.encodebytes(b)", inputs);
    for (size_t i = 0; i < inputs.size(); ++i)
        EXPECT_EQ(hex(run(decode, mime[i])), hex(inputs[i]));
}

TEST(Base64Test, LargePushes) {
    std::mt19937 random(19);
    std::string input = randomBytes(random, 3 * 1000 * 1000 + 1);
    std::string encoded = run(encode, input);
    EXPECT_EQ(encoded.size(), (input.size() + 2) / 3 * 4);
    EXPECT_EQ(run(decode, encoded), input);
}

} // namespace
