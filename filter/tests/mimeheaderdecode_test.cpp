#include "filter/mimeheaderdecode.h"
#include "filter/mimeheaderencode.h"
#include "filter/mimeword.h"
#include "filter/tests/chunked.h"

#include <gtest/gtest.h>

namespace {

using namespace Orvanta::Filter;
using namespace Orvanta::Filter::Testing;

Make decoder(const char* charset = "utf-8") {
    return [charset](Result* next) { return std::make_unique<MimeHeaderDecode>(charset, next); };
}

std::string written(const std::string& word, const char* target = "utf-8") {
    std::string out;
    String sink(&out);
    size_t reported = MimeWord(word.data(), word.size(), false).write(target, &sink);
    EXPECT_EQ(reported, out.size());
    return out;
}

TEST(MimeWordTest, RecognisesEncodedWords) {
    MimeWord q("=?UTF-8?Q?a_b?=", 15, false);
    EXPECT_TRUE(q.encoded());
    EXPECT_EQ(q.charset(), "UTF-8");
    EXPECT_EQ(q.encoding(), 'q');
    EXPECT_EQ(std::string(q.payload(), q.payloadSize()), "a_b");
    MimeWord b("=?iso-8859-1*en?b?YQ==?=", 24, false);
    EXPECT_EQ(b.charset(), "iso-8859-1");
    EXPECT_EQ(b.encoding(), 'b');
    EXPECT_EQ(std::string(b.payload(), b.payloadSize()), "YQ==");
    EXPECT_EQ(MimeWord("=?x?q?"
                       "?=",
                       8, false)
                  .payloadSize(),
              0u);

    for (std::string plain : {"=?a?q?=", "=?utf-8?Z?x?=", "=?utf-8?qq?x?=", "=?utf-8q?x?=", "plain",
                              "?=abc=?", "=?utf-8?q?x?", ""}) {
        MimeWord word(plain.data(), plain.size(), true);
        EXPECT_FALSE(word.encoded()) << plain;
        EXPECT_EQ(std::string(word.payload(), word.payloadSize()), plain);
    }
}

TEST(MimeWordTest, WritesTheTextInTheTargetCharset) {
    EXPECT_EQ(written("=?utf-8?q?caf=C3=a9?="), "caf\xc3\xa9");
    EXPECT_EQ(written("=?UTF-8?Q?a_b?="), "a b");
    EXPECT_EQ(written("=?iso-8859-1*en?q?caf=E9?="), "caf\xc3\xa9");
    EXPECT_EQ(written("=?iso-8859-1?b?Y2Fm6Q==?="), "caf\xc3\xa9");
    EXPECT_EQ(written("=?utf-8?q?caf=C3=A9?=", "iso-8859-1"), "caf\xe9");
    EXPECT_EQ(written("=?utf-8?Z?x?="), "=?utf-8?Z?x?=");
    // Invalid escapes are text, as Python's decoder keeps them.
    EXPECT_EQ(written("=?utf-8?q?a=zz=4?="), "a=zz=4");
    EXPECT_EQ(written("=?utf-8?q?a=?="), "a=");
}

TEST(MimeWordTest, WordsInAnUnknownCharsetStayAsWritten) {
    EXPECT_EQ(written("=?no-such-charset?q?abc?="), "=?no-such-charset?q?abc?=");
    EXPECT_EQ(written("=?x-unknown*en?b?YWJj?="), "=?x-unknown*en?b?YWJj?=");
    EXPECT_EQ(written("=?utf-8?q?abc?=", "no-such-charset"), "=?utf-8?q?abc?=");
    EXPECT_EQ(written("=?utf-8?q?a=FFb?="), "a\xef\xbf\xbd"
                                            "b")
        << "an invalid byte becomes U+FFFD";
    EXPECT_EQ(written("=?utf-16le?b?QQAA2EIAQwA=?="), "A\xef\xbf\xbd"
                                                      "BC")
        << "a lone surrogate becomes one U+FFFD, as Python's decode('utf-16le', 'replace') has it";
    EXPECT_EQ(written("=?utf-8?b?w6k?="), "\xc3\xa9") << "an unpadded final group";
    EXPECT_EQ(written("=?ANSI-X3.4-1968?q?abc?="), "abc") << "a spelling of US-ASCII iconv lacks";
    // still an encoded word between encoded words: joined without a space
    EXPECT_EQ(run(decoder(), "a =?no-such-charset?q?x?= =?utf-8?q?b?= c"), "a =?no-such-charset?q?x?=b c");
}

TEST(MimeWordTest, PlainWordsKeepTheirFlag) {
    Recorder sink;
    MimeWord("abc", 3, true).write("utf-8", &sink);
    ASSERT_EQ(sink.pushes.size(), 1u);
    EXPECT_TRUE(sink.pushes[0].persistent);
    EXPECT_EQ(sink.flushes, 0);
}

TEST(MimeHeaderDecodeTest, JoinsWords) {
    EXPECT_EQ(run(decoder(), "=?utf-8?q?a?=\r\n =?utf-8?b?YQ==?="), "aa");
    EXPECT_EQ(run(decoder(), "x  =?utf-8?q?a?=\ty"), "x a y");
    EXPECT_EQ(run(decoder(), "  lead and trail \r\n"), "lead and trail");
    EXPECT_EQ(run(decoder(), "a =?bogus?q?x?= b"), "a =?bogus?q?x?= b")
        << "an unknown charset keeps the word";
    EXPECT_EQ(run(decoder(), "=?utf-8?q?a?= =?utf-8?Z?x?= =?utf-8?q?b?="), "a =?utf-8?Z?x?= b");
    EXPECT_EQ(run(decoder(), ""), "");
}

TEST(MimeHeaderDecodeTest, TheLastWordIsWrittenOnFlushOrDestruction) {
    Recorder sink;
    {
        MimeHeaderDecode decode("utf-8", &sink);
        decode.process("one tw", 6, true);
        EXPECT_EQ(sink.bytes, "one");
        decode.process("o", 1, true);
        EXPECT_EQ(decode.flush(), 4u);
        EXPECT_EQ(sink.bytes, "one two");
        decode.process(" three", 6, true);
    }
    EXPECT_EQ(sink.bytes, "one two three");
}

// Encoded words glued together are read as Python reads them too.
TEST(MimeHeaderDecodeTest, AgreesWithPythonsDecodeHeader) {
    std::mt19937 random(23);
    const std::vector<std::string> words{"plain",
                                         "=?utf-8?q?caf=C3=A9?=",
                                         "=?UTF-8?B?4oKs?=",
                                         "=?iso-8859-1?q?=E9t=E9?=",
                                         "=?utf-8?q?a_b?=",
                                         "=?windows-1252?q?=80?=",
                                         "=?utf-8?b?8J+YgA==?=",
                                         "=?iso-8859-15?B?pA==?=",
                                         "=?utf-8?q?a?==?iso-8859-1?q?=E9?==?utf-8?b?Yg==?=",
                                         "x@y.z",
                                         "(c)"};
    std::vector<std::string> inputs;
    for (int round = 0; round < 200; ++round) {
        std::string text;
        size_t count = std::uniform_int_distribution<size_t>(1, 8)(random);
        for (size_t i = 0; i < count; ++i) {
            if (i > 0) text += round % 3 == 0 ? "\r\n " : " ";
            text += words[std::uniform_int_distribution<size_t>(0, words.size() - 1)(random)];
        }
        inputs.push_back(text);
    }
    auto expected = pythonMap("from email.header import decode_header, make_header\n"
                              "def f(b):\n"
                              "    text = b.decode('ascii').replace('\\r\\n ', ' ')\n"
                              "    return str(make_header(decode_header(text))).encode('utf-8')",
                              inputs);
    for (size_t i = 0; i < inputs.size(); ++i) {
        EXPECT_EQ(run(decoder(), inputs[i]), expected[i]) << inputs[i];
        expectSplitInvariant(decoder(), inputs[i], false, random);
    }
}

// A character split between adjacent encoded words of one charset is
// decoded whole, bytes that still do not convert become U+FFFD, and text
// glued to encoded words stays where it stood, as Python's header parser
// reads them.
TEST(MimeHeaderDecodeTest, SplitCharactersAgreeWithPythonsHeaderParser) {
    const std::vector<std::string> inputs{
        "=?utf-8?q?J=C3?= =?utf-8?q?=B6rg?=", "=?utf-8?b?SsM=?= =?UTF-8?q?=B6rg?= x",
        "=?utf-8?q?J=C3?=", "=?utf-8?q?J=C3?= x =?utf-8?q?=B6rg?=", "=?utf-8?q?J=C3?= =?iso-8859-1?q?=B6rg?=",
        // past U+10FFFF, a lead byte of no character, an overlong form
        "=?utf-8?q?a=F4=90=80=80b=F5c=C0=80d?=",
        // text between and after glued encoded words: each word ends at its
        // own "?="
        "=?utf-8?b?YQ==?=b=?utf-8?b?Yw==?= d", "=?utf-8?q?a?=b=?utf-8?q?c?=", "=?utf-8?q?a?=b =?utf-8?q?c?=",
        "=?utf-8?q?J=C3?=x=?utf-8?q?=B6?=", "=?utf-8?q?a?=b?=",
        // the reader holds the last letter back for a tone mark
        "=?windows-1258?q?hello?= world",
        // Words whose text carries state are read one by one: a UTF-7 run
        // ends with its word, each word opens with its byte order mark.
        "=?utf-7?q?+ZeU?= =?utf-7?q?+AOk?=", "=?utf-16?b?//5hAA==?= =?utf-16?b?/v8AYg==?="};
    auto expected = pythonMap("from email.headerregistry import HeaderRegistry\n"
                              "registry = HeaderRegistry()\n"
                              "def f(b):\n"
                              "    return str(registry('Subject', b.decode('ascii'))).encode('utf-8')",
                              inputs);
    for (size_t i = 0; i < inputs.size(); ++i) {
        EXPECT_EQ(run(decoder(), inputs[i]), expected[i]) << inputs[i];
        EXPECT_EQ(run(decoder(), bytewise(inputs[i])), expected[i]) << inputs[i];
    }
}

// A byte that is no character is replaced through the target's encoder, as
// Python's codecs write it: out of the JIS X 0208 shift and back, after the
// byte order mark; UTF-8 by another name and UTF-7 are read as such.
TEST(MimeHeaderDecodeTest, ReplacementsAreWrittenInTheTargetCharset) {
    struct Case {
        const char* target;
        std::string input;
        std::string expected; // in hex
    };
    const std::vector<Case> cases{
        {"iso-2022-jp", "=?utf-8?q?=E6=97=A5=FF=E6=9C=AC?=", "1b2442467c1b28423f1b24424b5c1b2842"},
        {"utf-16", "=?utf-8?q?=FFA?=", "fffefdff4100"},
        {"utf-8", "=?ISO-IR-193?q?a=F4=90=80=80b?=", "61efbfbdefbfbdefbfbdefbfbd62"},
        {"utf-8", "=?utf-7?q?x+AGHYPQBiAGM-y?=", "7861efbfbd626379"},
    };
    for (const auto& item : cases) {
        EXPECT_EQ(hex(run(decoder(item.target), item.input)), item.expected) << item.input;
        EXPECT_EQ(hex(run(decoder(item.target), bytewise(item.input))), item.expected) << item.input;
    }
}

// What glibc's reader of UTF-7 drops (a run the text ends with leftover
// bits, a shift that begins no run), a strict reader replaces, as Python's
// codec does, under every name glibc opens that reader by; read as text, the
// header keeps glibc's reading.
TEST(MimeHeaderDecodeTest, StrictReadingReplacesIllFormedUtf7) {
    const std::vector<std::string> texts{"ceo+x", "a+AGEx", "a+!b", "a+AGE"}, glibc{"ceo", "aa", "a!b", "aa"};
    auto python = pythonMap("def f(b):\n    return b.decode('utf-7', 'replace').encode('utf-8')", texts);
    Make strict = [](Result* next) { return std::make_unique<MimeHeaderDecode>("utf-8", next, true); };
    for (size_t i = 0; i < texts.size(); ++i) {
        EXPECT_EQ(run(decoder(), "=?utf-7?q?" + texts[i] + "?="), glibc[i]) << texts[i];
        for (const char* name : {"utf-7", "UTF-7/", "utf-7//IGNORE", "UTF7//TRANSLIT"}) {
            std::string word = std::string("=?") + name + "?q?" + texts[i] + "?=";
            EXPECT_EQ(run(strict, bytewise(word)), python[i]) << word;
        }
    }
    // each word's run ends with the word, taking in none of the next one's
    // text; the IMAP form is read strictly under other names too
    EXPECT_EQ(run(strict, "=?UTF-7//?q?a+AGE?= =?UTF-7//?q?x?="), "aax");
    EXPECT_EQ(run(strict, "=?UTF-7-IMAP/?q?ceo&x?="), "ceo\xef\xbf\xbd");
}

TEST(MimeHeaderDecodeTest, DoesNotFlushTheStageBehindItWordByWord) {
    Recorder sink;
    {
        MimeHeaderDecode decode("utf-8", &sink);
        decode.process("=?utf-8?q?a?= =?utf-8?b?Yg==?= c ", 34, false);
        EXPECT_EQ(sink.flushes, 0);
        EXPECT_EQ(sink.bytes, "ab c");
    }
    EXPECT_EQ(sink.flushes, 1) << "once, when the decoder goes";

    // Decoded into the header encoder, as a subject is rewritten: adjacent
    // encoded words must stay one word.
    std::string out;
    String text(&out);
    {
        MimeHeaderEncode encode(9, 78, MimeHeaderEncoding(), &text);
        MimeHeaderDecode decode("utf-8", &encode);
        decode.process("=?utf-8?q?a?= =?utf-8?q?b?= c", 29, false);
    }
    EXPECT_EQ(out, "ab c");
}

} // namespace
