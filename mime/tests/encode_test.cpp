#include "filter/string.h"
#include "mime/capabilities.h"
#include "mime/contenttransferencoding.h"
#include "mime/fieldtypes.h"
#include "mime/object.h"
#include "mime/translator.h"
#include "testsupport/process.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

using namespace Orvanta::Mime;

namespace {

using Encoding = ContentTransferEncoding::Encoding;

std::string translate(Encoding from, Encoding to, std::string const& input) {
    std::string out;
    Orvanta::Filter::String sink(&out);
    {
        Translator translator(from, to, &sink);
        translator.append(input.data(), input.size(), false);
    }
    return out;
}

std::string line(std::string const& field, Capabilities const& caps) {
    Line parsed(field.c_str());
    std::string out;
    Orvanta::Filter::String sink(&out);
    parsed.encode(caps, &sink, false);
    return out;
}

// stands in for an authentication header type of another library
class Marker : public HeaderField {
public:
    using HeaderField::encode;
    size_t encode(Capabilities const&, Orvanta::Filter::Result* out, bool) const override {
        return out->append("parsed", 6, true);
    }
};

} // namespace

TEST(LineEncodeTest, RawCopyOnlyNormalisesLineEnds) {
    EXPECT_EQ(line("Subject: caf\xc3\xa9\n folded\n", Capabilities::utf8()), "Subject: caf\xc3\xa9\r\n folded\r\n");
    EXPECT_EQ(line("Comments: plain\n", Capabilities::standard()), "Comments: plain\r\n");
    // the last line of a text without its line end still ends its line
    EXPECT_EQ(line("Comments: plain", Capabilities::standard()), "Comments: plain\r\n");
}

TEST(LineEncodeTest, ReencodedUnderSevenBitTransport) {
    // an unknown name: folded again, bytes kept
    EXPECT_EQ(line("Comments:  caf\xc3\xa9   au   lait\n", Capabilities::standard()), "Comments:  caf\xc3\xa9 au lait\r\n");
    // a typed value that does not parse is written as it stands
    EXPECT_EQ(line("Content-Type: t\xc3\xa9xt\n", Capabilities::standard()), "Content-Type: t\xc3\xa9xt\r\n");
    // authentication headers stay raw text while no parser is registered
    EXPECT_EQ(line("DKIM-Signature: v=1;\n  d=\xc3\xa9.example\n", Capabilities::standard()),
              "DKIM-Signature: v=1;\r\n  d=\xc3\xa9.example\r\n");
}

TEST(LineEncodeTest, RegisteredParsersAreUsed) {
    EXPECT_FALSE(FieldTypes::add("x-not-authentication", [](char const*, size_t) { return nullptr; }));
    ASSERT_TRUE(FieldTypes::add("DKIM-Signature", [](char const* data, size_t size) -> std::unique_ptr<HeaderField> {
        if (std::string(data, size).find("bad") != std::string::npos) throw std::runtime_error("bad signature");
        return std::make_unique<Marker>();
    }));
    EXPECT_TRUE(Line("dkim-signature: good\r\n").valid());
    EXPECT_FALSE(Line("dkim-signature: bad\r\n").valid());
    EXPECT_EQ(line("DKIM-Signature: \xc3\xa9\n", Capabilities::standard()), "DKIM-Signature: parsed\r\n");
    EXPECT_EQ(line("DKIM-Signature: bad \xc3\xa9\n", Capabilities::standard()), "DKIM-Signature: bad \xc3\xa9\r\n");
    Header header;
    header.append("DKIM-Signature", "anything");
    EXPECT_EQ(std::string(header[0].data(), header[0].size()), "DKIM-Signature: parsed\r\n");
    ASSERT_TRUE(FieldTypes::add("dkim-signature", nullptr));
    EXPECT_TRUE(Line("dkim-signature: bad\r\n").valid());
}

TEST(TranslatorTest, SameEncodingOnlyNormalisesLineEnds) {
    EXPECT_EQ(translate(Encoding::base64, Encoding::base64, "aGVs\nbG8="), "aGVs\r\nbG8=\r\n");
    EXPECT_EQ(translate(Encoding::sevenbit, Encoding::sevenbit, "a\rb\r\n"), "a\r\nb\r\n");
    EXPECT_EQ(translate(Encoding::binary, Encoding::binary, "a\nb"), "a\nb\r\n");
}

TEST(TranslatorTest, EightBitToQuotedPrintable) {
    std::string text(200, 'x');
    text += " caf\xc3\xa9\n";
    std::string out = translate(Encoding::eightbit, Encoding::quotedprintable, text);
    EXPECT_EQ(out.substr(out.size() - 2), "\r\n");
    EXPECT_NE(out.find("caf=C3=A9"), std::string::npos);
    for (size_t start = 0, end; (end = out.find("\r\n", start)) != std::string::npos; start = end + 2)
        EXPECT_LE(end - start, 76u);
    EXPECT_EQ(translate(Encoding::quotedprintable, Encoding::eightbit, out), text.substr(0, text.size() - 1) + "\r\n");
}

TEST(TranslatorTest, BinaryToBase64AndBack) {
    std::string bytes;
    for (int i = 0; i < 300; ++i) bytes += static_cast<char>(i * 7);
    std::string out = translate(Encoding::binary, Encoding::base64, bytes);
    EXPECT_EQ(out.substr(out.size() - 2), "\r\n");
    EXPECT_EQ(out.find("\r\n"), 76u);
    auto python = Orvanta::Test::runProcess(
        {Orvanta::Test::python3(), "-c", "import sys,base64; sys.stdout.buffer.write(base64.b64decode(sys.stdin.buffer.read()))"},
        out);
    EXPECT_EQ(python.out, bytes);
    EXPECT_EQ(translate(Encoding::base64, Encoding::binary, out), bytes);
}

TEST(BodyEncodeTest, ChangedEncodingIsTranslated) {
    std::string input = "Content-Transfer-Encoding: 8bit\r\n\r\ncaf\xc3\xa9\r\n";
    Object object(input.data(), input.size());
    EXPECT_FALSE(object.encodable(Capabilities::standard()));
    object.header.set("Content-Transfer-Encoding", "quoted-printable");
    EXPECT_TRUE(object.encodable(Capabilities::standard()));
    EXPECT_EQ(object.str(false), "Content-Transfer-Encoding: quoted-printable\r\n\r\ncaf=C3=A9\r\n");
}

TEST(BodyEncodeTest, EmptyBodyStaysEmpty) {
    std::string input = "Subject: nothing\r\n\r\n";
    Object object(input.data(), input.size());
    EXPECT_EQ(object.str(), input);
}
