#include "filter/contiguous.h"
#include "filter/smtpdecode.h"
#include "filter/string.h"
#include "filter/tests/chunking.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

using Orvanta::Filter::Contiguous;
using Orvanta::Filter::SmtpDecode;
using Orvanta::Filter::String;

namespace {

std::string contents(const Contiguous& sink) {
    return sink.data() ? std::string(sink.data(), sink.size()) : std::string();
}

// What the client does with standard input: each piece is read into the
// sink's room behind a few bytes of slack and dot-decoded in place. Returns
// the contents and whether the decoder found the end.
std::pair<std::string, bool> decodeInPlace(const Orvanta::Filter::Test::Pieces& pieces, size_t slack) {
    Contiguous sink;
    bool ended = false;
    SmtpDecode decoder(&sink, [&](size_t) { ended = true; });
    for (const std::string& piece : pieces) {
        char* at = sink.room(slack + piece.size()) + slack;
        piece.copy(at, piece.size());
        decoder.append(at, piece.size(), false);
    }
    return {contents(sink), ended};
}

} // namespace

TEST(ContiguousTest, KeepsEverythingInOneBlockThatGrows) {
    Contiguous sink;
    EXPECT_EQ(sink.data(), nullptr);
    EXPECT_EQ(sink.append("", 0, false), 0u);
    EXPECT_EQ(sink.data(), nullptr);

    std::string expected;
    for (int i = 0; i < 5000; ++i) {
        std::string piece = std::to_string(i) + (i % 2 ? "," : ";");
        EXPECT_EQ(sink.append(piece.data(), piece.size(), i % 3 == 0), piece.size());
        expected += piece;
    }
    std::string large(300000, 'L');
    sink.append(large.data(), large.size(), true);
    expected += large;
    EXPECT_EQ(sink.size(), expected.size());
    EXPECT_EQ(contents(sink), expected);
}

TEST(ContiguousTest, BytesReadIntoTheRoomBecomeContentsWithoutACopy) {
    Contiguous sink;
    sink.append("head:", 5, false);
    char* at = sink.room(100);
    EXPECT_EQ(at, sink.data() + 5);
    std::string("read").copy(at, 4);
    sink.commit(4);
    // a filter passing read bytes on from a little further in the room
    at = sink.room(10) + 3;
    std::string("xyzmoved").copy(at, 8);
    sink.append(at + 3, 5, false);
    EXPECT_EQ(contents(sink), "head:readmoved");
}

// The client's road: decoding in place gives what decoding into a separate
// sink gives, whatever the cutting, including a CR withheld after a line-start
// dot that turns out to be data, which the decoder writes back.
TEST(ContiguousTest, DotDecodingInPlaceMatchesDecodingACopy) {
    const std::string inputs[] = {
        "Subject: x\r\n\r\n..stuffed\r\n.\rnot the end\r\nbody\r\n.\r\nafter",
        ".\r\n",
        "a\n.\r\r\n..\r\n.\n",
        "no end at all\r\n.x\r\n",
    };
    std::mt19937 rng(17);
    for (const std::string& input : inputs) {
        SCOPED_TRACE(input);
        std::string expected;
        bool expectedEnd = false;
        {
            String copy(&expected);
            SmtpDecode decoder(&copy, [&](size_t) { expectedEnd = true; });
            decoder.append(input.data(), input.size(), false);
        }
        for (int round = 0; round < 200; ++round) {
            auto pieces = Orvanta::Filter::Test::randomCut(input, rng, round % 2 ? 3 : 40);
            auto got = decodeInPlace(pieces, 16);
            ASSERT_EQ(got.first, expected);
            ASSERT_EQ(got.second, expectedEnd);
        }
    }
}
