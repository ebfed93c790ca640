#include "filter/mimeheaderdecode.h"
#include "filter/mimeheaderencode.h"
#include "filter/tests/chunked.h"

#include <gtest/gtest.h>

namespace {

using namespace Orvanta::Filter;
using namespace Orvanta::Filter::Testing;

Make encoder(size_t used, size_t maximum, int context = MimeHeaderEncoding::text) {
    return [=](Result* next) {
        return std::make_unique<MimeHeaderEncode>(used, maximum, MimeHeaderEncoding(context), next);
    };
}

const Make decoder = [](Result* next) { return std::make_unique<MimeHeaderDecode>("utf-8", next); };

std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> all;
    size_t start = 0;
    for (;;) {
        size_t end = text.find("\r\n", start);
        all.push_back(text.substr(start, end == std::string::npos ? std::string::npos : end - start));
        if (end == std::string::npos) return all;
        start = end + 2;
    }
}

TEST(MimeHeaderEncodeTest, AsciiWordsPassAndFold) {
    EXPECT_EQ(run(encoder(0, 78), "hello  world\r\n\tagain"), "hello world again");
    EXPECT_EQ(run(encoder(0, 10), "aaaa bbbb cccc dddd"), "aaaa bbbb\r\n cccc dddd")
        << "words after a fold are still separated";
    EXPECT_EQ(run(encoder(6, 10), "abcdefgh ij"), "abcdefgh\r\n ij") << "a first word may overflow";
    EXPECT_EQ(run(encoder(100, 78), "abc def"), "abc\r\n def") << "a line already over the maximum";
    EXPECT_EQ(run(encoder(0, 78), ""), "");
}

TEST(MimeHeaderEncodeTest, WordsThatCannotStandRaw) {
    EXPECT_EQ(run(encoder(0, 78), "=?utf-8?q?y?= z"), "=?utf-8?q?=3D=3Futf-8=3Fq=3Fy=3F=3D?= z");
    EXPECT_EQ(run(encoder(0, 78), "caf\xc3\xa9 \xc3\xa0 la"), "=?utf-8?q?caf=C3=A9_=C3=A0?= la");
    EXPECT_EQ(run(encoder(0, 78), "a.b"), "a.b");
    EXPECT_EQ(run(encoder(0, 78, MimeHeaderEncoding::phrase), "a.b c"), "=?utf-8?q?a=2Eb?= c");
    EXPECT_EQ(run(encoder(0, 78, MimeHeaderEncoding::comment), "(x) y"), "=?utf-8?q?=28x=29?= y");
    EXPECT_EQ(run(encoder(0, 40), "x abcdefghijklmnopqrstuvwxyzabcdefghijklmn"),
              "x =?utf-8?q?abcdefghijklmnopqrstuvwxyz?=\r\n =?utf-8?q?abcdefghijklmn?=")
        << "a word longer than a line is encoded, and so can be folded";
}

TEST(MimeHeaderEncodeTest, LongRunsSplitIntoWordsThatFitTheirLines) {
    std::string text;
    for (int i = 0; i < 40; ++i)
        text += "\xc3\xa9t\xc3\xa9 ";
    std::string out = run(encoder(9, 78), text);
    auto all = lines(out);
    ASSERT_GT(all.size(), 2u);
    EXPECT_LE(all[0].size(), 69u);
    for (size_t i = 1; i < all.size(); ++i) {
        EXPECT_EQ(all[i][0], ' ');
        EXPECT_LE(all[i].size(), 78u);
        EXPECT_LE(all[i].size() - 1, 75u);
    }
    EXPECT_EQ(run(decoder, out), text.substr(0, text.size() - 1));
}

TEST(MimeHeaderEncodeTest, TinyMaximumStillEnds) {
    std::string text = "\xf0\x9f\x98\x80\xe2\x82\xac abc \xc3\xa9";
    for (size_t maximum : {0, 1, 5, 13, 20, 24}) {
        std::string out = run(encoder(0, maximum), text);
        for (const auto& line : lines(out))
            EXPECT_LE(line.size(), 25u) << maximum << ": " << out;
        EXPECT_EQ(run(decoder, out), text);
    }
}

TEST(MimeHeaderEncodeTest, FlushWritesGatheredWordsOnce) {
    Recorder sink;
    {
        MimeHeaderEncode encode(0, 78, MimeHeaderEncoding(), &sink);
        encode.process("a \xc3\xa9", 4, true);
        EXPECT_EQ(sink.bytes, "a");
        EXPECT_EQ(encode.flush(), 19u);
        EXPECT_EQ(sink.bytes, "a =?utf-8?q?=C3=A9?=");
        EXPECT_EQ(sink.flushes, 1);
    }
    EXPECT_EQ(sink.bytes, "a =?utf-8?q?=C3=A9?=");
}

TEST(MimeHeaderEncodeTest, RoundTripsThroughPythonAndOurDecoder) {
    std::mt19937 random(13);
    const std::vector<std::string> vocabulary{"plain",
                                              "a.b",
                                              "(c)",
                                              "x@y",
                                              "=?no?=",
                                              "caf\xc3\xa9",
                                              "\xe2\x82\xac",
                                              "\xf0\x9f\x98\x80",
                                              "under_score",
                                              "q?",
                                              "longerwordthatgoesonandon",
                                              "\xe6\x97\xa5\xe6\x9c\xac"};
    std::vector<std::string> inputs;
    std::vector<std::string> encoded;
    for (int round = 0; round < 150; ++round) {
        std::string text;
        size_t count = std::uniform_int_distribution<size_t>(1, 25)(random);
        for (size_t i = 0; i < count; ++i) {
            if (i > 0) text += ' ';
            text += vocabulary[std::uniform_int_distribution<size_t>(0, vocabulary.size() - 1)(random)];
        }
        size_t maximum = std::uniform_int_distribution<size_t>(30, 90)(random);
        int context = round % 3;
        auto make = encoder(round % 10, maximum, context);
        encoded.push_back(run(make, text));
        inputs.push_back(text);
        expectSplitInvariant(make, text, false, random);
        for (const auto& line : lines(encoded.back()))
            EXPECT_LE(line.size(), maximum) << encoded.back();
        EXPECT_EQ(run(decoder, encoded.back()), text) << encoded.back();
    }
    auto decoded = pythonMap("from email.header import decode_header, make_header\n"
                             "def f(b):\n"
                             "    text = b.decode('ascii').replace('\\r\\n ', ' ')\n"
                             "    return str(make_header(decode_header(text))).encode('utf-8')",
                             encoded);
    for (size_t i = 0; i < inputs.size(); ++i)
        EXPECT_EQ(decoded[i], inputs[i]) << encoded[i];
}

// A header value decoded and written again, as a line is for a 7-bit
// transport, reads as the same text in Python's header parser and in ours:
// an encoded word in a charset that does not convert here goes back as an
// encoded word of its own, also when decoded text was glued to it.
TEST(MimeHeaderEncodeTest, DecodedAndWrittenAgainReadsTheSame) {
    const std::vector<std::string> inputs{
        "=?utf-8?b?YQ==?=b=?utf-8?b?Yw==?= \xc3\xbc",
        "=?ks_c_5601-1987?B?x7Gx2w==?= =?utf-8?q?=C3=A9?= \xc3\xbc",
        "=?utf-8?q?=C3=A9?= =?ks_c_5601-1987?B?x7Gx2w==?= \xc3\xbc",
        "=?utf-8?q?b?= =?x-unknown?q?a?= \xc3\xbc",
        "x =?utf-8?q?a?= =?x-unknown?q?b?= =?utf-8?q?c?= y \xc3\xbc",
        "=?utf-8?q?a?=b=?x-unknown?q?c?=d \xc3\xbc",
    };
    std::vector<std::string> written;
    for (const std::string& input : inputs) {
        std::string out;
        String text(&out);
        {
            MimeHeaderEncode encode(9, 78, MimeHeaderEncoding(), &text);
            MimeHeaderDecode decode("utf-8", &encode, false, false, &encode);
            decode.process(input.data(), input.size(), false);
        }
        written.push_back(out);
        EXPECT_EQ(run(decoder, out), run(decoder, input)) << out;
    }
    const std::string parse = "from email.headerregistry import HeaderRegistry\n"
                              "registry = HeaderRegistry()\n"
                              "def f(b):\n"
                              "    text = b.decode('utf-8').replace('\\r\\n', '')\n"
                              "    return str(registry('Subject', text)).encode('utf-8')";
    auto before = pythonMap(parse, inputs);
    auto after = pythonMap(parse, written);
    for (size_t i = 0; i < inputs.size(); ++i)
        EXPECT_EQ(after[i], before[i]) << written[i];
}

} // namespace
