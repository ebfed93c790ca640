#include "filter/memory.h"
#include "filter/smtpdecode.h"
#include "filter/string.h"
#include "recorder.h"
#include "testsupport/hex.h"
#include "testsupport/process.h"

#include <gtest/gtest.h>

#include <random>
#include <sstream>
#include <string>
#include <vector>

using Orvanta::Filter::SmtpDecode;
using Orvanta::Filter::Test::Recorder;

namespace {

using Pieces = std::vector<std::string>;

struct Decoded {
    Recorder out;
    std::vector<size_t> ends;    // callback values
    std::vector<size_t> results; // what each process call returned
    size_t endPiece = 0;         // index of the piece in which the end was found
};

void decode(Decoded& decoded, const Pieces& pieces) {
    SmtpDecode decoder(&decoded.out, [&decoded](size_t consumed) { decoded.ends.push_back(consumed); });
    for (size_t i = 0; i < pieces.size(); ++i) {
        bool wasEnded = !decoded.ends.empty();
        decoded.results.push_back(decoder.process(pieces[i].data(), pieces[i].size(), true));
        if (!wasEnded && !decoded.ends.empty()) decoded.endPiece = i;
    }
}

} // namespace

TEST(SmtpDecodeTest, TerminatingLineInOnePiece) {
    Decoded d;
    decode(d, {"a\r\n.\r\n"});
    EXPECT_EQ(d.out.bytes, "a\r\n");
    EXPECT_EQ(d.ends, std::vector<size_t>{6});
    EXPECT_EQ(d.results, std::vector<size_t>{3});

    Decoded first;
    decode(first, {".\r\n", "ignored\r\n"});
    EXPECT_EQ(first.out.pushes.size(), 0u);
    EXPECT_EQ(first.ends, std::vector<size_t>{3});
    EXPECT_EQ(first.results, (std::vector<size_t>{0, 0}));

    Decoded bare;
    decode(bare, {"x\n.\ny"});
    EXPECT_EQ(bare.out.bytes, "x\n");
    EXPECT_EQ(bare.ends, std::vector<size_t>{4});
}

TEST(SmtpDecodeTest, TerminatingLineSplitAcrossPieces) {
    Decoded d;
    decode(d, {"a\r\n.", "\r", "\nX"});
    EXPECT_EQ(d.out.bytes, "a\r\n");
    EXPECT_EQ(d.ends, std::vector<size_t>{1});
    EXPECT_EQ(d.endPiece, 2u);

    Decoded two;
    decode(two, {"a\r\n.", "\r\nX", "more"});
    EXPECT_EQ(two.out.bytes, "a\r\n");
    EXPECT_EQ(two.ends, std::vector<size_t>{2});
    EXPECT_EQ(two.results, (std::vector<size_t>{3, 0, 0}));
}

TEST(SmtpDecodeTest, LineStartDotsAreRemovedOnce) {
    Decoded plain;
    decode(plain, {"a\n.b\n"});
    EXPECT_EQ(plain.out.pieces(), (Pieces{"a\n", "b\n"}));

    Decoded doubled;
    decode(doubled, {"a\n..b\n"});
    EXPECT_EQ(doubled.out.pieces(), (Pieces{"a\n", ".b\n"}));

    Decoded cr;
    decode(cr, {"a\n.\rb"});
    EXPECT_EQ(cr.out.pieces(), (Pieces{"a\n", "\rb"}));

    // The withheld CR is pushed alone once it proves to be data.
    Decoded split;
    decode(split, {"a\n.", "\rb"});
    EXPECT_EQ(split.out.pieces(), (Pieces{"a\n", "\r", "b"}));

    Decoded twoDots;
    decode(twoDots, {"a\n.", ".", "\n"});
    EXPECT_EQ(twoDots.out.pieces(), (Pieces{"a\n", ".", "\n"}));
    EXPECT_TRUE(twoDots.ends.empty());

    Decoded leading;
    decode(leading, {"..first\r\n"});
    EXPECT_EQ(leading.out.bytes, ".first\r\n");
}

TEST(SmtpDecodeTest, DotsNotAtALineStartStay) {
    Decoded d;
    decode(d, {"a.\r\n", "\r.\r\n", "b\r\n"});
    EXPECT_EQ(d.out.bytes, "a.\r\n\r.\r\nb\r\n");
    EXPECT_TRUE(d.ends.empty());
}

TEST(SmtpDecodeTest, AfterTheEndNothingPasses) {
    Decoded d;
    decode(d, {"x\r\n.\r\n", "y\r\n.\r\n", "", "z"});
    EXPECT_EQ(d.out.bytes, "x\r\n");
    EXPECT_EQ(d.ends.size(), 1u);
    EXPECT_EQ(d.results, (std::vector<size_t>{3, 0, 0, 0}));
}

TEST(SmtpDecodeTest, HeldDotAndCrAreNeverPushed) {
    Decoded dot;
    {
        SmtpDecode decoder(&dot.out, [](size_t) {});
        decoder.process("a\r\n.", 4, false);
        decoder.flush();
    }
    EXPECT_EQ(dot.out.bytes, "a\r\n");
    Decoded dotCr;
    decode(dotCr, {"a\r\n.\r"});
    EXPECT_EQ(dotCr.out.bytes, "a\r\n");
}

TEST(SmtpDecodeTest, FlagsPassThroughAndSlicesPointIntoInput) {
    static const char text[] = "one\r\n..two\r\nthree";
    Recorder out;
    SmtpDecode decoder(&out, [](size_t) {});
    EXPECT_EQ(decoder.process(text, sizeof text - 1, false), sizeof text - 2);
    ASSERT_EQ(out.pushes.size(), 2u);
    EXPECT_FALSE(out.pushes[0].persistent);
    EXPECT_EQ(out.pushes[0].data, text);
    EXPECT_EQ(out.pushes[1].data, text + 6);

    Orvanta::Filter::Memory memory;
    SmtpDecode intoMemory(&memory, [](size_t) {});
    intoMemory.process(text, sizeof text - 1, true);
    EXPECT_EQ(std::string(memory.data(), memory.size()), "one\r\n.two\r\nthree");
}

TEST(SmtpDecodeTest, EmptyCallbackThrowsAtTheEnd) {
    Recorder out;
    SmtpDecode decoder(&out, nullptr);
    EXPECT_EQ(decoder.process("a\r\n", 3, false), 3u);
    EXPECT_THROW(decoder.process(".\r\n", 3, false), std::bad_function_call);
}

namespace {

using Orvanta::Test::hex;
using Orvanta::Test::unhex;

// Random messages rich in what the decoder cares about.
std::string randomMessage(std::mt19937& rng) {
    return Orvanta::Test::randomText(rng, "..\r\n\n\rab. ", 60);
}

struct Case {
    std::string wire;    // stuffed data with its end line
    std::string message; // what decoding must give
};

// The mail library of the Python standard library stuffs the messages and
// normalises their line ends, as a sending client would.
std::vector<Case> stuffedByPython(const std::vector<std::string>& messages) {
    static const char* script = R"(
import re, sys, smtplib
for line in sys.stdin:
    raw = bytes.fromhex(line.strip())
    stuffed = smtplib.quotedata(raw.decode('latin-1')).encode('latin-1')
    if stuffed[-2:] != b'\r\n':
        stuffed += b'\r\n'
    wire = stuffed + b'.\r\n'
    text = raw.decode('latin-1')
    text = re.sub(r'(?:\r\n|\n|\r(?!\n))', '\r\n', text)
    if not text.endswith('\r\n'):
        text += '\r\n'
    print(wire.hex(), text.encode('latin-1').hex())
)";
    std::string input;
    for (const std::string& message : messages)
        input += hex(message) + "\n";
    auto result = Orvanta::Test::runProcess({Orvanta::Test::python3(), "-c", script}, input);
    EXPECT_EQ(result.status, 0) << result.err;
    std::vector<Case> cases;
    std::istringstream lines(result.out);
    std::string wire, message;
    while (lines >> wire >> message)
        cases.push_back({unhex(wire), unhex(message)});
    EXPECT_EQ(cases.size(), messages.size());
    return cases;
}

void expectDecodes(const Case& c, const Pieces& pieces, const std::string& what) {
    Decoded d;
    decode(d, pieces);
    ASSERT_EQ(d.out.bytes, c.message) << what << " of " << hex(c.wire);
    ASSERT_EQ(d.ends.size(), 1u) << what;
    // Consumed: every piece before the end one in full, then the callback's count.
    size_t consumed = d.ends[0];
    for (size_t i = 0; i < d.endPiece; ++i)
        consumed += pieces[i].size();
    ASSERT_EQ(consumed, c.wire.size()) << what;
    size_t returned = 0;
    for (size_t r : d.results)
        returned += r;
    ASSERT_EQ(returned, c.message.size()) << what;
}

} // namespace

TEST(SmtpDecodeTest, RoundTripWithPythonOverEverySplit) {
    std::mt19937 rng(20261207);
    std::vector<std::string> messages = {"",      ".",           "..",    "\r\n.\r\n",
                                         ".\r\n", "a\r\n.\r\nb", "\n.\n", "\r.\r"};
    for (int i = 0; i < 300; ++i)
        messages.push_back(randomMessage(rng));
    std::vector<Case> cases = stuffedByPython(messages);
    const std::string trailer = "after the end\r\n.\r\n";
    for (const Case& c : cases) {
        std::string input = c.wire + trailer;
        expectDecodes(c, {input}, "one piece");
        for (size_t i = 0; i <= input.size(); ++i)
            expectDecodes(c, {input.substr(0, i), input.substr(i)}, "split at " + std::to_string(i));
        Pieces bytes;
        for (char b : input)
            bytes.emplace_back(1, b);
        expectDecodes(c, bytes, "single bytes");
        std::uniform_int_distribution<size_t> chunk(0, 7);
        for (int round = 0; round < 20; ++round) {
            Pieces pieces;
            for (size_t at = 0; at < input.size();) {
                size_t n = std::min(chunk(rng), input.size() - at);
                pieces.push_back(input.substr(at, n));
                at += n;
            }
            expectDecodes(c, pieces, "random chunking");
        }
    }
}

TEST(SmtpDecodeTest, EveryThreeWaySplitOfAShortStream) {
    const Case c{"..a\r\n.\r\r\n\r\n..\r\n.\r\n", ".a\r\n\r\r\n\r\n.\r\n"};
    for (size_t i = 0; i <= c.wire.size(); ++i)
        for (size_t j = i; j <= c.wire.size(); ++j)
            expectDecodes(c, {c.wire.substr(0, i), c.wire.substr(i, j - i), c.wire.substr(j)},
                          "split at " + std::to_string(i) + "," + std::to_string(j));
}
