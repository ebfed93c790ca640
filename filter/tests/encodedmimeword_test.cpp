#include "filter/encodedmimeword.h"
#include "filter/mimeheaderencoding.h"

#include <gtest/gtest.h>

#include <limits>
#include <stdexcept>
#include <string>

namespace {

using namespace Orvanta::Filter;

EncodedMimeWord make(const std::string& input, size_t available, int context = MimeHeaderEncoding::text) {
    return EncodedMimeWord(input.data(), input.size(), available, MimeHeaderEncoding(context));
}

TEST(EncodedMimeWordTest, SmallestWords) {
    EXPECT_THROW(make("a", 12), std::runtime_error);
    try {
        make("abc", 12);
        FAIL();
    } catch (const std::runtime_error& error) {
        EXPECT_STREQ(error.what(), "available space is too small for one word");
    }
    auto word = make("abc", 13);
    EXPECT_EQ(word.word(), "=?utf-8?q?a?=");
    EXPECT_EQ(word.consumed(), 1u);
    EXPECT_EQ(word.inputSize(), 3u);
    EXPECT_EQ(make(" b", 13).word(), "=?utf-8?q?_?=");
    // An escape takes its three bytes: it never squeezes into one.
    EXPECT_THROW(make("?", 13), std::runtime_error);
    EXPECT_THROW(make("?", 14), std::runtime_error);
    EXPECT_EQ(make("?", 15).word(), "=?utf-8?q?=3F?=");
}

TEST(EncodedMimeWordTest, UnlimitedRoomTakesTheWholeInput) {
    std::string input(300, 'x');
    input += "\xc3\xa9";
    auto word = make(input, std::numeric_limits<size_t>::max(), MimeHeaderEncoding::phrase);
    EXPECT_EQ(word.consumed(), input.size());
    EXPECT_EQ(word.word(), "=?utf-8?q?" + std::string(300, 'x') + "=C3=A9?=");
}

TEST(EncodedMimeWordTest, CharactersAreNeverSplit) {
    std::string euro = "\xe2\x82\xac";
    EXPECT_THROW(make(euro, 20), std::runtime_error);
    EXPECT_EQ(make(euro, 21).word(), "=?utf-8?q?=E2=82=AC?=");
    auto word = make("ab" + euro, 22);
    EXPECT_EQ(word.word(), "=?utf-8?q?ab?=") << "the euro sign needs 9 bytes, only 8 are left";
    EXPECT_EQ(word.consumed(), 2u);
    EXPECT_EQ(make("\xf0\x9f\x98\x80", 24).word(), "=?utf-8?q?=F0=9F=98=80?=");
    // Bytes that are not UTF-8 (a cut-off sequence, Latin-1) are kept and
    // labelled so; every byte is a character of its own.
    EXPECT_EQ(make("\xe2\x82", 25).word(), "=?unknown-8bit?q?=E2=82?=");
    EXPECT_EQ(make("\x80\x80", 22).consumed(), 1u);
    EXPECT_EQ(make("caf\xe9", 75).word(), "=?unknown-8bit?q?caf=E9?=");
    // where UTF-8 and other bytes meet, each keeps its own label, cut at a
    // blank
    EXPECT_EQ(make("J\xc3\xb6rg Gr\xfc\xdf", 75).word(), "=?utf-8?q?J=C3=B6rg_?=");
    EXPECT_EQ(make("Gr\xfc\xdf J\xc3\xb6rg", 75).word(), "=?unknown-8bit?q?Gr=FC=DF_?=");
    // a window that cuts a sequence off is still UTF-8
    EXPECT_EQ(make(std::string(28, 'a') + euro, 30).word(), "=?utf-8?q?" + std::string(18, 'a') + "?=");
}

TEST(EncodedMimeWordTest, PlacesEscapeDifferentBytes) {
    EXPECT_EQ(make("a.b(c)_=? ~", 75).word(), "=?utf-8?q?a.b(c)=5F=3D=3F_~?=");
    EXPECT_EQ(make("\t\v\f", 75).word(), "=?utf-8?q?=09=0B=0C?=") << "only the space becomes an underscore";
    EXPECT_EQ(make("a.b(c)\"", 75, MimeHeaderEncoding::comment).word(), "=?utf-8?q?a.b=28c=29=22?=");
    EXPECT_EQ(make("a.b-c!*+/", 75, MimeHeaderEncoding::phrase).word(), "=?utf-8?q?a=2Eb=2Dc!*+/?=");
    EXPECT_THROW(MimeHeaderEncoding(3), std::invalid_argument);
    EXPECT_THROW(MimeHeaderEncoding(-1), std::invalid_argument);
}

TEST(EncodedMimeWordTest, NeverLongerThanAvailable) {
    std::string input;
    for (int i = 0; i < 256; ++i)
        input += static_cast<char>(i);
    input += "\xc3\xa9\xe2\x82\xac\xf0\x9f\x98\x80";
    for (size_t available = 13; available <= 75; ++available) {
        size_t at = 0;
        std::string all;
        while (at < input.size()) {
            try {
                auto word = make(input.substr(at), available);
                EXPECT_LE(word.word().size(), available);
                EXPECT_GT(word.consumed(), 0u);
                at += word.consumed();
            } catch (const std::runtime_error&) {
                // Only a character wider than the room may refuse to fit.
                EXPECT_LT(available, 24u);
                break;
            }
        }
    }
}

} // namespace
