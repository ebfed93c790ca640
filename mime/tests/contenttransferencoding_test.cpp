#include "mime/grammar/contentid.h"
#include "mime/message/contenttransferencoding.h"
#include "mime/message/header.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

using namespace Orvanta::Mime;

namespace {

ContentTransferEncoding::Encoding parse(const char* text) {
    return ContentTransferEncoding::parse(text, std::strlen(text));
}

} // namespace

TEST(ContentTransferEncodingTest, Parse) {
    EXPECT_EQ(parse(" Base64 "), ContentTransferEncoding::base64);
    EXPECT_EQ(parse("7BIT"), ContentTransferEncoding::sevenbit);
    EXPECT_EQ(parse("8bit\r\n"), ContentTransferEncoding::eightbit);
    EXPECT_EQ(parse("Quoted-Printable"), ContentTransferEncoding::quotedprintable);
    EXPECT_EQ(parse("binary"), ContentTransferEncoding::binary);
    for (const char* bad : {"base64x", "base 64", "", "x-uuencode", "bas"}) {
        try {
            parse(bad);
            ADD_FAILURE() << bad;
        } catch (const std::runtime_error& error) {
            EXPECT_STREQ(error.what(), "unknown transfer encoding");
        }
    }
}

TEST(ContentTransferEncodingTest, FromHeaderNeverThrows) {
    Header header;
    EXPECT_EQ(ContentTransferEncoding(header).encoding(), ContentTransferEncoding::sevenbit);
    header.append("Content-Transfer-Encoding", "x-uuencode");
    EXPECT_EQ(ContentTransferEncoding::extract(header), ContentTransferEncoding::sevenbit);
    header.set("Content-Transfer-Encoding", "BASE64");
    EXPECT_EQ(ContentTransferEncoding(&header).encoding(), ContentTransferEncoding::base64);
}

TEST(ContentTransferEncodingTest, Writes) {
    EXPECT_EQ(ContentTransferEncoding(ContentTransferEncoding::quotedprintable).str(), "quoted-printable");
    EXPECT_EQ(ContentTransferEncoding(ContentTransferEncoding::eightbit).str(false), "8bit");
    EXPECT_EQ(ContentTransferEncoding(static_cast<ContentTransferEncoding::Encoding>(9)).str(), "unknown");
}

TEST(ContentIDTest, TakesTheBracketedIdentifier) {
    std::string text = "  <part.1> trailing";
    EXPECT_EQ(ContentID(text.data(), text.size()).text(), "<part.1>");
    EXPECT_EQ(ContentID("<>", 2).text(), "<>");
    EXPECT_EQ(ContentID("<a@b>", 5).str(), "<a@b>");
    for (std::string bad : {"part.1", "<part.1", "", "   ", "x<a>"}) {
        try {
            ContentID id(bad.data(), bad.size());
            ADD_FAILURE() << bad;
        } catch (const std::runtime_error& error) {
            EXPECT_EQ(std::string(error.what()), "Invalid content-id: " + bad);
        }
    }
}
