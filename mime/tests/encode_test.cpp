#include "filter/string.h"
#include "mime/grammar/capabilities.h"
#include "mime/message/contenttransferencoding.h"
#include "mime/message/fieldtypes.h"
#include "mime/message/object.h"
#include "mime/message/translator.h"
#include "mime/tests/transportable.h"
#include "openssl/tests/keyfiles.h"
#include "testsupport/process.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

using namespace Orvanta::Mime;

namespace {

using Encoding = ContentTransferEncoding::Encoding;

std::string translate(Encoding from, Encoding to, const std::string& input) {
    std::string out;
    Orvanta::Filter::String sink(&out);
    {
        Translator translator(from, to, &sink);
        translator.append(input.data(), input.size(), false);
    }
    return out;
}

std::string line(const std::string& field, const Capabilities& caps) {
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
    size_t encode(const Capabilities&, Orvanta::Filter::Result* out, bool) const override {
        return out->append("parsed", 6, true);
    }
};

class Unwritable : public HeaderField {
public:
    using HeaderField::encode;
    size_t encode(const Capabilities&, Orvanta::Filter::Result*, bool) const override {
        throw std::runtime_error("cannot write");
    }
};

// fails after it has written part of its value
class HalfWritten : public HeaderField {
public:
    using HeaderField::encode;
    size_t encode(const Capabilities&, Orvanta::Filter::Result* out, bool) const override {
        out->append("i=1; half", 9, true);
        throw std::runtime_error("cannot write the rest");
    }
};

} // namespace

TEST(LineEncodeTest, RawCopyOnlyNormalisesLineEnds) {
    EXPECT_EQ(line("Subject: caf\xc3\xa9\n folded\n", Capabilities::utf8()),
              "Subject: caf\xc3\xa9\r\n folded\r\n");
    EXPECT_EQ(line("Comments: plain\n", Capabilities::standard()), "Comments: plain\r\n");
    // the last line of a text without its line end still ends its line
    EXPECT_EQ(line("Comments: plain", Capabilities::standard()), "Comments: plain\r\n");
    // a lone CR ends no line: written as a line break it would add a field
    for (const Capabilities* caps : {&Capabilities::utf8(), &Capabilities::standard()})
        EXPECT_EQ(line("Subject: hi\rBcc: evil@example.net\n", *caps),
                  "Subject: hi\rBcc: evil@example.net\r\n");
}

TEST(LineEncodeTest, ReencodedUnderSevenBitTransport) {
    // an unknown name: folded again, bytes kept
    EXPECT_EQ(line("Comments:  caf\xc3\xa9   au   lait\n", Capabilities::standard()),
              "Comments:  caf\xc3\xa9 au lait\r\n");
    // a typed value that does not parse is written as it stands
    EXPECT_EQ(line("Content-Type: t\xc3\xa9xt\n", Capabilities::standard()), "Content-Type: t\xc3\xa9xt\r\n");
    // so is one whose parse would drop a parameter (8-bit bytes unquoted)
    EXPECT_EQ(line("Content-Type: text/plain; name=caf\xe9.txt\n", Capabilities::standard()),
              "Content-Type: text/plain; name=caf\xe9.txt\r\n");
    EXPECT_EQ(line("Content-Disposition: attachment; filename=caf\xc3\xa9.txt\n", Capabilities::standard()),
              "Content-Disposition: attachment; filename=caf\xc3\xa9.txt\r\n");
    // sections with a gap go back as they stood, the rest written again
    EXPECT_EQ(line("Content-Disposition: attachment; filename*0=a; filename*2=c; x=\"\xc3\xa9\"\n",
                   Capabilities::standard()),
              "Content-Disposition: attachment; x*=utf-8''%c3%a9; filename*0=a; filename*2=c\r\n");
    // nor when the value is written again
    for (const char* field : {"Subject: caf\xc3\xa9\rBcc: evil@example.net\n",
                              "To: a@b.example\r\xc3\xa9\rBcc: evil@example.net\n",
                              "Comments: caf\xc3\xa9\rBcc: evil@example.net\n"}) {
        std::string out = line(field, Capabilities::standard());
        EXPECT_EQ(Object::ExtHeader(out.c_str()).size(), 1u) << out;
    }
    // authentication headers stay raw text while no parser is registered
    EXPECT_EQ(line("DKIM-Signature: v=1;\n  d=\xc3\xa9.example\n", Capabilities::standard()),
              "DKIM-Signature: v=1;\r\n  d=\xc3\xa9.example\r\n");
}

TEST(LineEncodeTest, ValueThatFailsPartwayIsWrittenOnceAsItStands) {
    ASSERT_TRUE(
        FieldTypes::add("arc-message-signature", [](const char*, size_t) -> std::unique_ptr<HeaderField> {
            return std::make_unique<HalfWritten>();
        }));
    EXPECT_EQ(line("ARC-Message-Signature: i=1; d=\xc3\xa9.example\n", Capabilities::standard()),
              "ARC-Message-Signature: i=1; d=\xc3\xa9.example\r\n");
    ASSERT_TRUE(FieldTypes::add("arc-message-signature", nullptr));
}

// what a reader makes of a header line's value: Python decodes its encoded
// words
std::string decoded(const std::string& line) {
    auto run = Orvanta::Test::runProcess(
        {Orvanta::Test::python3(), "-c",
         "import sys\nfrom email.header import decode_header, make_header\n"
         "value = sys.stdin.read().split(':', 1)[1]\n"
         "sys.stdout.buffer.write(str(make_header(decode_header(value))).encode())"},
        line);
    EXPECT_EQ(run.status, 0) << run.err;
    return run.out;
}

bool ascii(const std::string& text) {
    for (char c : text)
        if (static_cast<unsigned char>(c) >= 0x80) return false;
    return true;
}

TEST(LineEncodeTest, SubjectGetsEncodedWords) {
    std::string subject = "Subject: caf\xc3\xa9 au lait, =?iso-8859-1?q?cr=E8me?= br\xc3\xbbl\xc3\xa9"
                          "e\n";
    std::string out = line(subject, Capabilities::standard());
    EXPECT_TRUE(ascii(out)) << out;
    EXPECT_EQ(out.substr(out.size() - 2), "\r\n");
    EXPECT_EQ(decoded(out), "caf\xc3\xa9 au lait, cr\xc3\xa8me br\xc3\xbbl\xc3\xa9"
                            "e");
    // under the UTF-8 preset the line is copied
    EXPECT_EQ(line(subject, Capabilities::utf8()),
              "Subject: caf\xc3\xa9 au lait, =?iso-8859-1?q?cr=E8me?= br\xc3\xbbl\xc3\xa9"
              "e\r\n");
    std::string custom = line("X-Note: \xc3\xa9t\xc3\xa9\n", Capabilities::standard());
    EXPECT_TRUE(ascii(custom)) << custom;
    EXPECT_EQ(decoded(custom), "\xc3\xa9t\xc3\xa9");
    // 8-bit text that is not UTF-8 keeps its bytes and is not called UTF-8;
    // written again, it stays what it was
    std::string latin = line("Subject: caf\xe9 au lait\n", Capabilities::standard());
    EXPECT_EQ(latin, "Subject: =?unknown-8bit?q?caf=E9?= au lait\r\n");
    std::string mixed = "Subject: " + latin.substr(9, latin.size() - 11) + " cr\xc3\xa8me\n";
    EXPECT_EQ(line(mixed, Capabilities::standard()),
              "Subject: =?unknown-8bit?q?caf=E9?= au lait =?utf-8?q?cr=C3=A8me?=\r\n");
    // so does an encoded word in a charset that does not convert here
    std::string korean = "Subject: =?ks_c_5601-1987?B?x+GxyQ==?=";
    std::string kept = line(korean + " \xc3\xbc\n", Capabilities::standard());
    EXPECT_TRUE(ascii(kept)) << kept;
    EXPECT_EQ(decoded(kept), decoded(korean) + " \xc3\xbc") << kept;
}

TEST(LineEncodeTest, ComposedSubjectsAreEncodedToo) {
    Header header;
    header.set("Subject", "=?iso-8859-1?q?caf=E9?= cr\xc3\xa8me");
    header.set("Comments", "caf\xc3\xa9");
    std::string subject(header[0].data(), header[0].size());
    EXPECT_TRUE(ascii(subject)) << subject;
    EXPECT_EQ(decoded(subject), "caf\xc3\xa9 cr\xc3\xa8me");
    EXPECT_EQ(std::string(header[1].data(), header[1].size()), "Comments: caf\xc3\xa9\r\n");
}

TEST(LineEncodeTest, AddressListsAreWrittenByTheirClasses) {
    std::string to =
        line("To: J\xc3\xb6rg <jorg@ex\xc3\xa4mple.org>, plain@example.org\n", Capabilities::standard());
    EXPECT_TRUE(ascii(to)) << to;
    EXPECT_NE(to.find("xn--"), std::string::npos) << to;
    EXPECT_NE(to.find("plain@example.org"), std::string::npos) << to;
    EXPECT_EQ(to.substr(to.size() - 2), "\r\n");
    // an address list that does not parse keeps its bytes, only folded
    EXPECT_EQ(line("Cc: <<\xc3\xa9>>\n", Capabilities::standard()), "Cc: <<\xc3\xa9>>\r\n");
    // so does one whose class passed over an element of comments alone
    EXPECT_EQ(line("Cc: (c), J\xc3\xb6rg <j@example.org>\n", Capabilities::standard()),
              "Cc: (c), J\xc3\xb6rg <j@example.org>\r\n");
}

TEST(LineEncodeTest, RegisteredParsersAreUsed) {
    EXPECT_FALSE(FieldTypes::add("x-not-authentication", [](const char*, size_t) { return nullptr; }));
    ASSERT_TRUE(
        FieldTypes::add("DKIM-Signature", [](const char* data, size_t size) -> std::unique_ptr<HeaderField> {
            if (std::string(data, size).find("bad") != std::string::npos)
                throw std::runtime_error("bad signature");
            return std::make_unique<Marker>();
        }));
    EXPECT_TRUE(Line("dkim-signature: good\r\n").valid());
    EXPECT_FALSE(Line("dkim-signature: bad\r\n").valid());
    EXPECT_EQ(line("DKIM-Signature: \xc3\xa9\n", Capabilities::standard()), "DKIM-Signature: parsed\r\n");
    EXPECT_EQ(line("DKIM-Signature: bad \xc3\xa9\n", Capabilities::standard()),
              "DKIM-Signature: bad \xc3\xa9\r\n");
    Header header;
    header.append("DKIM-Signature", "anything");
    EXPECT_EQ(std::string(header[0].data(), header[0].size()), "DKIM-Signature: parsed\r\n");
    // a value that parses but cannot be written is stored as the caller's text
    ASSERT_TRUE(FieldTypes::add("arc-seal", [](const char*, size_t) -> std::unique_ptr<HeaderField> {
        return std::make_unique<Unwritable>();
    }));
    header.set("ARC-Seal", "i=1; raw");
    header.append("arc-seal", "i=2; raw");
    EXPECT_EQ(std::string(header[1].data(), header[1].size()), "ARC-Seal: i=1; raw\r\n");
    EXPECT_EQ(std::string(header[2].data(), header[2].size()), "arc-seal: i=2; raw\r\n");
    ASSERT_TRUE(FieldTypes::add("arc-seal", nullptr));
    ASSERT_TRUE(FieldTypes::add("dkim-signature", nullptr));
    // the library's own parsers are back: "bad" is no signature and no seal
    EXPECT_FALSE(Line("dkim-signature: bad\r\n").valid());
    EXPECT_FALSE(Line("arc-seal: bad\r\n").valid());
}

TEST(TranslatorTest, SameEncodingOnlyNormalisesLineEnds) {
    EXPECT_EQ(translate(Encoding::base64, Encoding::base64, "aGVs\nbG8="), "aGVs\r\nbG8=\r\n");
    // a lone CR ends no line and is not made one
    EXPECT_EQ(translate(Encoding::sevenbit, Encoding::sevenbit, "a\rb\nc"), "a\rb\r\nc\r\n");
    EXPECT_EQ(translate(Encoding::binary, Encoding::binary, "a\nb"), "a\nb\r\n");
    // long text is looked at in blocks: a line end at any offset of one
    for (const char* mark : {"\n", "\r", "\r\n", "\n\n", "\r\r\n", "\n\r"})
        for (size_t at = 0; at < 140; ++at) {
            std::string text = std::string(at, 'x') + mark + std::string(100, 'y');
            std::string written = std::string(at, 'x');
            for (const char* c = mark; *c; ++c)
                written +=
                    *c == '\n' && (written.empty() || written.back() != '\r') ? "\r\n" : std::string(1, *c);
            EXPECT_EQ(translate(Encoding::eightbit, Encoding::eightbit, text),
                      written + std::string(100, 'y') + "\r\n")
                << at << " " << mark;
        }
}

TEST(TranslatorTest, EightBitToQuotedPrintable) {
    std::string text(200, 'x');
    text += " caf\xc3\xa9\n";
    std::string out = translate(Encoding::eightbit, Encoding::quotedprintable, text);
    EXPECT_EQ(out.substr(out.size() - 2), "\r\n");
    EXPECT_NE(out.find("caf=C3=A9"), std::string::npos);
    for (size_t start = 0, end; (end = out.find("\r\n", start)) != std::string::npos; start = end + 2)
        EXPECT_LE(end - start, 76u);
    EXPECT_EQ(translate(Encoding::quotedprintable, Encoding::eightbit, out),
              text.substr(0, text.size() - 1) + "\r\n");
}

TEST(TranslatorTest, BinaryToBase64AndBack) {
    std::string bytes;
    for (int i = 0; i < 300; ++i)
        bytes += static_cast<char>(i * 7);
    std::string out = translate(Encoding::binary, Encoding::base64, bytes);
    EXPECT_EQ(out.substr(out.size() - 2), "\r\n");
    EXPECT_EQ(out.find("\r\n"), 76u);
    auto python = Orvanta::Test::runProcess(
        {Orvanta::Test::python3(), "-c",
         "import sys,base64; sys.stdout.buffer.write(base64.b64decode(sys.stdin.buffer.read()))"},
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

namespace {

using Orvanta::Mime::Test::transportable;

std::string encoded(const Object& object, const Capabilities& caps, size_t* count = nullptr) {
    std::string out;
    Orvanta::Filter::String sink(&out);
    size_t reported = object.encode(caps, &sink, true);
    if (count != nullptr) *count = reported;
    return out;
}

} // namespace

TEST(CapabilitiesTest, CompatibleEncodings) {
    struct Row {
        Encoding encoding;
        bool standard;
    } const rows[] = {{Encoding::quotedprintable, true},
                      {Encoding::base64, true},
                      {Encoding::sevenbit, true},
                      {Encoding::eightbit, false},
                      {Encoding::binary, false}};
    for (const auto& row : rows) {
        EXPECT_EQ(Capabilities::standard().compatible(row.encoding), row.standard) << row.encoding;
        EXPECT_TRUE(Capabilities::utf8().compatible(row.encoding)) << row.encoding;
    }
}

TEST(ObjectEncodeTest, CountIncludesWhatTheStagesWriteAtTheEnd) {
    std::string const multipart =
        "Content-Type: multipart/mixed; boundary=b\r\n\r\npre\r\n--b\r\n"
        "Content-Transfer-Encoding: binary\r\n\r\nabcd\r\n--b\r\n\r\nno end\r\n--b--\r\nepi";
    std::string const inputs[] = {
        "Subject: x\r\n\r\nno final line end",
        "Content-Transfer-Encoding: binary\r\n\r\nfive!",
        "Content-Transfer-Encoding: 8bit\r\nSubject: caf\xc3\xa9\r\n\r\ncaf\xc3\xa9\n",
        "Content-Transfer-Encoding: base64\r\n\r\naGVsbG8g\nd29ybGQ=",
        "To: J\xc3\xb6rg <j@ex\xc3\xa4mple.org>\r\nContent-Type: text/plain; "
        "name=\"caf\xc3\xa9\"\r\n\r\nbody\r\n",
        multipart,
    };
    for (const std::string& input : inputs) {
        for (const Capabilities* caps : {&Capabilities::standard(), &Capabilities::utf8()}) {
            Object object(input.data(), input.size());
            object.fix(*caps);
            size_t count = 0;
            std::string out = encoded(object, *caps, &count);
            EXPECT_EQ(count, out.size()) << input;
        }
    }
    // a binary body turned into base64: the last group and the line end come
    // from the stages' ends, and a body on its own counts them too
    std::string input = "Content-Transfer-Encoding: binary\r\n\r\nfive!";
    Object object(input.data(), input.size());
    object.header.set("Content-Transfer-Encoding", "base64");
    std::string out;
    Orvanta::Filter::String sink(&out);
    EXPECT_EQ(object.body.encode(Capabilities::standard(), &sink, true), 10u);
    EXPECT_EQ(out, "Zml2ZSE=\r\n");
}

TEST(ObjectEncodeTest, FixRepairsWhatTheTransportRefuses) {
    using namespace std::string_literals;
    struct Row {
        std::string input;
        bool before;       // encodable under the standard capabilities as it came
        bool fixed;        // what fix answers
        const char* label; // the transfer encoding named afterwards ("" for none)
        const char* body;  // the body written afterwards
        // passes the UTF-8 preset as it came: no line over the hard limit,
        // no NUL, no lone CR
        bool eightbit = true;
        // what the header written afterwards holds
        const char* field = nullptr;
    } const rows[] = {
        // a 7-bit label on 8-bit bytes is no promise the transport can keep
        {"Content-Transfer-Encoding: 7bit\r\n\r\ncaf\xc3\xa9\r\n", false, true, "quoted-printable",
         "caf=C3=A9\r\n"},
        {"Subject: x\r\n\r\ncaf\xc3\xa9", false, true, "quoted-printable", "caf=C3=A9\r\n"},
        {"Content-Transfer-Encoding: 8bit\r\n\r\nplain\r\n", false, true, "quoted-printable", "plain\r\n"},
        {"Content-Transfer-Encoding: binary\r\n\r\n\x01\x02\xff", false, true, "base64", "AQL/\r\n"},
        // an ASCII body under a UTF-8 header: the header's lines are
        // re-encoded, the body needs nothing
        {"Subject: caf\xc3\xa9\r\n\r\nplain\r\n", true, true, "", "plain\r\n"},
        // a line over the hard limit in a 7-bit body
        {"Subject: x\r\n\r\nlong", false, true, "quoted-printable", nullptr, false},
        // also when a lone CR stands in it: written as it stands, it ends no
        // line
        {"Subject: x\r\n\r\nhalf\rlong", false, true, "quoted-printable", nullptr, false},
        // NUL and a lone CR are no 7-bit text either, in a text or in an
        // attachment labelled 7-bit
        {"Subject: x\r\n\r\nnul \0 here\r\n"s, false, true, "quoted-printable", "nul =00 here\r\n", false},
        // content without lines goes in base64: in quoted-printable its CR
        // and LF bytes would become line breaks (CR LF to every reader)
        {"Content-Type: application/octet-stream\r\nContent-Transfer-Encoding: 7bit\r\n\r\nlone\rcr\r\n",
         false, true, "base64", "bG9uZQ1jcg0K\r\n", false},
        {"Content-Type: application/octet-stream\r\n\r\n\0\x01\n\x02"
         "end"s,
         false, true, "base64", "AAEKAmVuZA==\r\n", false},
        {"Content-Type: image/png\r\nContent-Transfer-Encoding: 8bit\r\n\r\n\x89PNG\r\n\x1a\n", false, true,
         "base64", "iVBORw0KGgo=\r\n"},
        // also where blanks or comments stand inside the type
        {"Content-Type: image/ png\r\nContent-Transfer-Encoding: 8bit\r\n\r\n\x89PNG\r\n\x1a\n", false, true,
         "base64", "iVBORw0KGgo=\r\n"},
        {"Content-Type: application(report)/octet-stream\r\n\r\n\0\x01\n\x02"
         "end"s,
         false, true, "base64", "AAEKAmVuZA==\r\n", false},
        // and where they cut it, which other readers still read as an image
        {"Content-Type: image/p ng\r\nContent-Transfer-Encoding: 8bit\r\n\r\n\x89PNG\r\n\x1a\n", false, true,
         "base64", "iVBORw0KGgo=\r\n"},
        // or where a broken comment follows its first word
        {"Content-Type: image(/png\r\nContent-Transfer-Encoding: 8bit\r\n\r\n\x89PNG\r\n\x1a\n", false, true,
         "base64", "iVBORw0KGgo=\r\n"},
        // a cut type whose first word is text stays text
        {"Content-Type: text/)plain\r\nContent-Transfer-Encoding: 8bit\r\n\r\ncaf\xc3\xa9\r\n", false, true,
         "quoted-printable", "caf=C3=A9\r\n"},
        // no writer carries them in a field: copied, they keep fix false,
        // also beside 8-bit bytes
        {"Subject: nul \0 here\r\n\r\nplain\r\n"s, false, false, "", "plain\r\n", false},
        {"Subject: caf\xc3\xa9 \0 here\r\n\r\nplain\r\n"s, false, false, "quoted-printable", "plain\r\n",
         false},
        {"Comments: lone\rcr\r\n\r\nplain\r\n", false, false, "", "plain\r\n", false},
        // nor is an enclosed message encoded for them
        {"Content-Type: message/rfc822\r\n\r\nSubject: x\r\n\r\nnul \0 here\r\n"s, false, false, "", nullptr,
         false},
        {"Content-Type: message/partial; id=\"p@x\"; number=2\r\n\r\nend\r\0"s, false, false, "", nullptr,
         false},
        // an encoding unknown here is opaque: readers that know it would
        // decode quoted-printable instead, and find the encoded text
        {"Content-Transfer-Encoding: x-uuencode\r\n\r\nbegin 644 caf\xe9.txt\r\n#86)C\r\n`\r\nend\r\n", false,
         false, "x-uuencode", "begin 644 caf\xe9.txt\r\n#86)C\r\n`\r\nend\r\n"},
        {"Content-Transfer-Encoding: x-binhex\r\n\r\nlong", false, false, "x-binhex", nullptr, false},
        // copied as they stand, these would still carry 8-bit bytes
        {"Content-Transfer-Encoding: base64\r\n\r\n\xff\xfe\r\n", false, false, "base64", nullptr},
        // a line that is not a field is written as it stands
        {"Caf\xc3\xa9 without a colon\r\nSubject: x\r\n\r\nplain\r\n", false, false, "", nullptr},
        // so is an address whose local part has no 7-bit form, and a list
        // whose group lost a member to the parse
        {"To: x\xe1zz@example.com, j\xc3\xb6rg@example.com\r\n\r\nplain\r\n", false, false,
         "quoted-printable", nullptr},
        {"To: Team: a@example.com b@example.com, \xc3\xbc <u@example.com>;\r\n\r\nplain\r\n", false, false,
         "quoted-printable", nullptr},
        // nor a content identifier followed by more than it holds
        {"Content-ID: <a@example.org> <b@example.org> Zo\xc3\xab\r\n\r\nplain\r\n", false, false,
         "quoted-printable", nullptr},
        // nor an address list with a comment inside a bare address, which
        // no other place reads the same to every reader
        {"To: J\xc3\xb6rg <j@example.org>, a(c)@example.org\r\n\r\nplain\r\n", false, false,
         "quoted-printable", nullptr},
        // or a comment its class would not write again
        {"Content-Type: text/plain; name=\"Zo\xc3\xab.txt\" (comment)\r\n\r\nplain\r\n", false, false,
         "quoted-printable", nullptr},
        // (a header with 8-bit bytes gets a 7-bit body label all the same)
        {"Comments: caf\xc3\xa9\r\n\r\nplain\r\n", false, false, "quoted-printable", nullptr},
        // an enclosed message is never encoded: readers would not decode it
        {"Content-Type: message/rfc822\r\nContent-Transfer-Encoding: 8bit\r\n\r\nSubject: "
         "caf\xc3\xa9\r\n\r\nx\r\n",
         false, false, "8bit", "Subject: caf\xc3\xa9\r\n\r\nx\r\n"},
        {"Content-Type: (forwarded) message/rfc822\r\n\r\nSubject: x\r\n\r\ncaf\xc3\xa9\r\n", false, false,
         "", "Subject: x\r\n\r\ncaf\xc3\xa9\r\n"},
        // nor is a part of a digest without a content type, which is one
        // (RFC 2046 section 5.1.5), also in a digest inside a mixed; a part
        // there that names text is repaired
        {"Content-Type: multipart/digest; boundary=d\r\n\r\n"
         "--d\r\n\r\nSubject: caf\xc3\xa9\r\n\r\nx\r\n--d--\r\n",
         false, false, "", "--d\r\n\r\nSubject: caf\xc3\xa9\r\n\r\nx\r\n--d--\r\n"},
        {"Content-Type: multipart/mixed; boundary=m\r\n\r\n"
         "--m\r\nContent-Type: multipart/digest; boundary=d\r\n\r\n"
         "--d\r\n\r\nSubject: x\r\n\r\ncaf\xc3\xa9\r\n--d--\r\n--m--\r\n",
         false, false, "",
         "--m\r\nContent-Type: multipart/digest; boundary=d\r\n\r\n"
         "--d\r\n\r\nSubject: x\r\n\r\ncaf\xc3\xa9\r\n--d--\r\n--m--\r\n"},
        // as is one whose main type other readers cannot read either, which
        // they take for the default
        {"Content-Type: multipart/digest; boundary=d\r\n\r\n"
         "--d\r\nContent-Type: image=/png\r\n\r\nSubject: caf\xc3\xa9\r\n\r\nx\r\n--d--\r\n",
         false, false, "",
         "--d\r\nContent-Type: image=/png\r\n\r\nSubject: caf\xc3\xa9\r\n\r\nx\r\n--d--\r\n"},
        // or no subtype
        {"Content-Type: multipart/digest; boundary=d\r\n\r\n"
         "--d\r\nContent-Type: image/)png\r\n\r\nSubject: caf\xc3\xa9\r\n\r\nx\r\n--d--\r\n",
         false, false, "",
         "--d\r\nContent-Type: image/)png\r\n\r\nSubject: caf\xc3\xa9\r\n\r\nx\r\n--d--\r\n"},
        // also where the first word is text
        {"Content-Type: multipart/digest; boundary=d\r\n\r\n"
         "--d\r\nContent-Type: text/)plain\r\n\r\nSubject: caf\xc3\xa9\r\n\r\nx\r\n--d--\r\n",
         false, false, "",
         "--d\r\nContent-Type: text/)plain\r\n\r\nSubject: caf\xc3\xa9\r\n\r\nx\r\n--d--\r\n"},
        {"Content-Type: multipart/digest; boundary=d\r\n\r\n"
         "--d\r\nContent-Type: text/plain\r\n\r\ncaf\xc3\xa9\r\n--d--\r\n",
         false, true, "",
         "--d\r\nContent-Type: text/plain\r\nContent-Transfer-Encoding: quoted-printable\r\n\r\n"
         "caf=C3=A9\r\n--d--\r\n"},
        // nor is a multipart, also one whose boundary cannot be read (RFC
        // 2045 section 6.4): its parts are still there for other readers
        {"Content-Type: multipart/mixed; boundary=\"b\r\n\r\n--b\r\nContent-Transfer-Encoding: 8bit\r\n\r\n"
         "caf\xc3\xa9\r\n--b--\r\n",
         false, false, "", "--b\r\nContent-Transfer-Encoding: 8bit\r\n\r\ncaf\xc3\xa9\r\n--b--\r\n"},
        // nor one whose type only other readers read, nor such an enclosed
        // message
        {"Content-Type: multipart/mi xed; boundary=\"b1\"\r\n\r\n--b1\r\nContent-Type: text/plain; "
         "charset=iso-8859-1\r\n\r\ncaf\xe9\r\n--b1--\r\n",
         false, false, "",
         "--b1\r\nContent-Type: text/plain; charset=iso-8859-1\r\n\r\ncaf\xe9\r\n--b1--\r\n"},
        {"Content-Type: message/rfc822=\r\n\r\nSubject: x\r\n\r\ncaf\xc3\xa9\r\n", false, false, "",
         "Subject: x\r\n\r\ncaf\xc3\xa9\r\n"},
        // a comma is no token byte either
        {"Content-Type: message/rfc822,\r\n\r\nSubject: x\r\n\r\ncaf\xc3\xa9\r\n", false, false, "",
         "Subject: x\r\n\r\ncaf\xc3\xa9\r\n"},
        // a multipart read here whose type others read no multipart in keeps
        // its parts as they stand
        {"Content-Type: multipart/@mixed; boundary=\"b1\"\r\n\r\n--b1\r\nContent-Transfer-Encoding: "
         "8bit\r\n\r\n"
         "caf\xc3\xa9\r\n--b1--\r\n",
         false, false, "", "--b1\r\nContent-Transfer-Encoding: 8bit\r\n\r\ncaf\xc3\xa9\r\n--b1--\r\n"},
        // a multipart whose type has a blank before the slash is one: its
        // parts are repaired
        {"Content-Type: multipart /alternative; boundary=alt\r\n\r\n--alt\r\nContent-Type: text/plain\r\n"
         "Content-Transfer-Encoding: 8bit\r\n\r\ncaf\xc3\xa9\r\n--alt\r\nContent-Type: text/html\r\n"
         "Content-Transfer-Encoding: 8bit\r\n\r\n<p>caf\xc3\xa9</p>\r\n--alt--\r\n",
         false, true, "",
         "--alt\r\nContent-Type: text/plain\r\nContent-Transfer-Encoding: "
         "quoted-printable\r\n\r\ncaf=C3=A9\r\n"
         "--alt\r\nContent-Type: text/html\r\nContent-Transfer-Encoding: quoted-printable\r\n\r\n"
         "<p>caf=C3=A9</p>\r\n--alt--\r\n"},
        // an extended boundary with blanks before "=" is read: its part is
        // repaired
        {"Content-Type: multipart/mixed; boundary* = ''b\r\n\r\n--b\r\nContent-Transfer-Encoding: "
         "8bit\r\n\r\n"
         "caf\xc3\xa9\r\n--b--\r\n",
         false, true, "", "--b\r\nContent-Transfer-Encoding: quoted-printable\r\n\r\ncaf=C3=A9\r\n--b--\r\n"},
        // a parameter whose bytes did not convert keeps them as they stood
        // where its field is written again, beside 8-bit text or on a line
        // over the hard limit; fix fails where they are 8-bit themselves
        {"Content-Type: text/csv; name*0=\"two  costs \"; name*1*=%C3%A9t%C3%A9.csv; "
         "x=\"caf\xc3\xa9\"\r\n\r\n"
         "plain\r\n",
         true, true, "", "plain\r\n", true, " name*0=\"two  costs \";\r\n name*1*=%C3%A9t%C3%A9.csv\r\n"},
        {"Content-Disposition: attachment; filename*0=\"" + std::string(600, 'x') +
             "\"; filename*1*=%C3%B1; " + "filename*2=\"" + std::string(600, 'y') + "\"\r\n\r\nplain\r\n",
         true, true, "", "plain\r\n", false, "\r\n filename*1*=%C3%B1;\r\n filename*2=\"yyy"},
        {"Content-Type: text/plain; name*0=\"caf\xc3\xa9 \"; name*1*=%E9\r\n\r\nplain\r\n", false, false,
         "quoted-printable", "plain\r\n"},
        // an encoded word whose bytes do not convert goes back as it stood
        // where its field is written again, and decoded text beside raw
        // bytes keeps its charset
        {"Subject: J\xc3\xb6rg =?utf-8?q?caf=E9?= x\r\n\r\nplain\r\n", true, true, "", "plain\r\n", true,
         "?= =?utf-8?q?caf=E9?= x\r\n"},
        {"To: J\xc3\xb6rg =?iso-2022-jp?b?GyRCLSEbKEI=?= <j@example.org>\r\n\r\nplain\r\n", true, true, "",
         "plain\r\n", true, "?= =?iso-2022-jp?b?GyRCLSEbKEI=?= <j@example.org>\r\n"},
        {"To: =?utf-8?q?J=C3=B6?=rg\xe9 <j@example.org>\r\n\r\nplain\r\n", true, true, "", "plain\r\n", true,
         "To: =?utf-8?q?J=C3=B6rg?= =?unknown-8bit?q?=E9?= <j@example.org>\r\n"},
        // text that only looks like an encoded word is encoded, also beside
        // a word kept as written and in quotes; the kept word stays itself
        {"Subject: caf\xc3\xa9 =?us-ascii?q?=3D=3Futf-8=3Fq=3F=3DFF=3F=3D?=\r\n\r\nplain\r\n", true, true, "",
         "plain\r\n", true, "Subject: =?utf-8?q?caf=C3=A9_=3D=3Futf-8=3Fq=3F=3DFF=3F=3D?=\r\n"},
        {"From: =?us-ascii?q?=3D=3Futf-8=3Fq=3F=3DFF=3F=3D?= =?utf-8?q?=FE?= caf\xc3\xa9 "
         "<a@example.org>\r\n\r\n"
         "plain\r\n",
         true, true, "", "plain\r\n", true,
         "From: =?utf-8?q?=3D=3Futf=2D8=3Fq=3F=3DFF=3F=3D?= =?utf-8?q?=FE?=\r\n"},
        {"From: \"=?utf-8?q?=FF?=\" =?utf-8?q?=FE?= caf\xc3\xa9 <a@example.org>\r\n\r\nplain\r\n", true, true,
         "", "plain\r\n", true, "From: =?utf-8?q?=3D=3Futf=2D8=3Fq=3F=3DFF=3F=3D_?= =?utf-8?q?=FE?=\r\n"},
        // an encoded word glued after text, read as text here and decoded by
        // other readers, goes back as it stood with the words that follow it
        {"Subject: caf\xc3\xa9 x=?x-unknown?q?a?= =?x-unknown?q?b?= =?x-unknown?q?c?=\r\n\r\nplain\r\n", true,
         true, "", "plain\r\n", true,
         "Subject: =?utf-8?q?caf=C3=A9?= x=?x-unknown?q?a?= =?x-unknown?q?b?=\r\n"},
        {"To: J\xc3\xb6rg x=?utf-7?q?a?= =?utf-7?q?b?= <j@example.org>\r\n\r\nplain\r\n", true, true, "",
         "plain\r\n", true, "To: =?utf-8?q?J=C3=B6rg?= x=?utf-7?q?a?= =?utf-7?q?b?= <j@example.org>\r\n"},
        // a comment before a bare address stays there: after it, readers
        // take it for a name
        {"From: (J\xc3\xb6rg) a@example.org, (c) <b@example.org>\r\n\r\nplain\r\n", true, true, "",
         "plain\r\n", true, "From: (=?utf-8?q?J=C3=B6rg?=) a@example.org, (c) <b@example.org>\r\n"},
        // sections that make no whole go back as they stood
        {"Content-Disposition: attachment; name*0=abc; name*0=xyz; name*1=def; title=\"J\xc3\xb6rg\"\r\n\r\n"
         "plain\r\n",
         true, true, "", "plain\r\n", true, " name*0=xyz; name*1=def\r\n"},
        // a signed message is left as it is
        {"DKIM-Signature: v=1\r\nContent-Transfer-Encoding: 8bit\r\n\r\ncaf\xc3\xa9\r\n", false, false,
         "8bit", "caf\xc3\xa9\r\n"},
        {"Content-Transfer-Encoding: quoted-printable\r\n\r\ncaf=C3=A9\r\n", true, true, "quoted-printable",
         "caf=C3=A9\r\n"},
    };
    for (const auto& row : rows) {
        std::string input = row.input;
        // a line of 1200 bytes, or two halves of 600 around the lone CR
        size_t half = input.find("half");
        if (half != std::string::npos) input.insert(half, 600, 'x');
        if (input.substr(input.size() - 4) == "long")
            input += std::string(half == std::string::npos ? 1200 : 600, 'x') + "\r\n";
        Object object(input.data(), input.size());
        EXPECT_EQ(object.encodable(Capabilities::standard()), row.before) << row.input;
        EXPECT_EQ(object.encodable(Capabilities::utf8()), row.eightbit) << row.input;
        EXPECT_EQ(object.fix(Capabilities::standard()), row.fixed) << row.input;
        EXPECT_EQ(object.encodable(Capabilities::standard()), row.fixed) << row.input;
        EXPECT_EQ(std::string(object.header.get("content-transfer-encoding").data(),
                              object.header.get("content-transfer-encoding").size()),
                  row.label)
            << row.input;
        std::string out = encoded(object, Capabilities::standard());
        if (row.fixed) {
            EXPECT_TRUE(transportable(out)) << out;
        } else {
            // what could not be made 7-bit keeps every byte
            std::string head = input.substr(0, input.find("\r\n\r\n") + 2);
            for (size_t at = 0, end; (end = head.find("\r\n", at)) != std::string::npos; at = end + 2)
                EXPECT_NE(out.find(head.substr(at, end + 2 - at)), std::string::npos) << out;
            EXPECT_NE(out.find(input.substr(head.size() + 2)), std::string::npos) << out;
        }
        // no replacement character stands for bytes that were there
        EXPECT_EQ(out.find("%ef%bf%bd"), std::string::npos) << out;
        EXPECT_EQ(out.find("=EF=BF=BD"), std::string::npos) << out;
        if (row.field != nullptr) {
            EXPECT_NE(out.find(row.field), std::string::npos) << out;
        }
        if (row.body != nullptr) {
            size_t start = out.find("\r\n\r\n");
            ASSERT_NE(start, std::string::npos) << out;
            EXPECT_EQ(out.substr(start + 4), row.body) << row.input;
        }
    }
    // The hard limit holds on an 8-bit transport too: a longer line is
    // encoded as for a 7-bit one, or fix fails where the encoding is not
    // known here.
    for (std::string label : {"8bit", "x-binhex"}) {
        std::string input = "Content-Transfer-Encoding: " + label + "\r\n\r\n";
        for (int i = 0; i < 1000; ++i)
            input += "\xc3\xa9";
        input += "\r\n";
        Object object(input.data(), input.size());
        bool known = label == "8bit";
        EXPECT_EQ(object.fix(Capabilities::utf8()), known) << label;
        std::string out = encoded(object, Capabilities::utf8());
        EXPECT_EQ(transportable(out), known) << out;
        const Value& named = object.header.get("content-transfer-encoding");
        EXPECT_EQ(std::string(named.data(), named.size()), known ? "quoted-printable" : label);
    }
    // a header line too: copied as it stands, it fails fix and keeps its bytes
    std::string field = "Comments: " + std::string(1000, 'x') + "\r\n\r\nplain\r\n";
    Object object(field.data(), field.size());
    EXPECT_FALSE(object.fix(Capabilities::utf8()));
    EXPECT_EQ(encoded(object, Capabilities::utf8()), field);
}

TEST(ObjectEncodeTest, RepairReplacesOnlyThePartsThatNeedIt) {
    std::string input = "Content-Type: multipart/mixed; boundary=b\r\n\r\n--b\r\n"
                        "Content-Transfer-Encoding: 8bit\r\n\r\ncaf\xc3\xa9\r\n--b\r\n\r\nplain\r\n--b--\r\n";
    Object object(input.data(), input.size());
    Object copy(object);
    auto untouched = object.body.parts()[1];
    EXPECT_FALSE(object.encodable(Capabilities::standard()));
    EXPECT_TRUE(object.fix(Capabilities::standard()));
    EXPECT_EQ(object.body.parts()[1], untouched);
    EXPECT_EQ(
        encoded(object, Capabilities::standard()),
        "Content-Type: multipart/mixed; boundary=b\r\n\r\n--b\r\n"
        "Content-Transfer-Encoding: quoted-printable\r\n\r\ncaf=C3=A9\r\n--b\r\n\r\nplain\r\n--b--\r\n");
    // the copy shared the parts before the repair and keeps its own
    EXPECT_EQ(encoded(copy, Capabilities::utf8()), input);
    // an attachment turned into base64 keeps its bytes: the line end before
    // the delimiter is the delimiter's
    std::string binary = "Content-Type: multipart/mixed; boundary=b\r\n\r\n--b\r\n"
                         "Content-Transfer-Encoding: binary\r\n\r\n";
    binary += std::string(1, '\0') + "\xff\r\n--b--\r\n";
    Object attachment(binary.data(), binary.size());
    EXPECT_TRUE(attachment.fix(Capabilities::standard()));
    EXPECT_EQ(encoded(attachment, Capabilities::standard()),
              "Content-Type: multipart/mixed; boundary=b\r\n\r\n--b\r\n"
              "Content-Transfer-Encoding: base64\r\n\r\nAP8=\r\n--b--\r\n");
    // 8-bit bytes in the preamble are beyond any repair
    std::string preamble =
        "Content-Type: multipart/mixed; boundary=b\r\n\r\ncaf\xc3\xa9\r\n--b\r\n\r\nx\r\n--b--\r\n";
    Object refused(preamble.data(), preamble.size());
    EXPECT_FALSE(refused.fix(Capabilities::standard()));
}

TEST(ObjectEncodeTest, RepairedPartsKeepTheirLastLineEnds) {
    struct Row {
        const char* label;
        std::string content; // before the delimiter's own line end
        const char* written; // the part's body as the repair writes it
    } const rows[] = {
        {"8bit", "caf\xc3\xa9", "caf=C3=A9\r\n"},
        // a content's last line end, and its empty lines, stay content
        {"8bit", "caf\xc3\xa9\r\n", "caf=C3=A9\r\n\r\n"},
        {"7bit", "caf\xc3\xa9\r\n\r\n", "caf=C3=A9\r\n\r\n\r\n"},
        {"binary", std::string(1, '\0') + "\xff", "AP8=\r\n"},
        {"binary", std::string(1, '\0') + "\xff\r\n", "AP8NCg==\r\n"},
    };
    for (const auto& row : rows) {
        std::string head =
            "Content-Type: multipart/mixed; boundary=b\r\n\r\n--b\r\nContent-Transfer-Encoding: ";
        std::string input = head + row.label + "\r\n\r\n" + row.content + "\r\n--b--\r\n";
        Object object(input.data(), input.size());
        ASSERT_TRUE(object.fix(Capabilities::standard())) << row.label;
        std::string out = encoded(object, Capabilities::standard());
        size_t start = out.find("\r\n\r\n", head.size());
        ASSERT_NE(start, std::string::npos) << out;
        EXPECT_EQ(out.substr(start + 4), std::string(row.written) + "--b--\r\n") << row.label;
    }
}

// S/MIME made by the openssl command: the signature covers the signed part
// as it stands, its header too. What fix passes, written under the same
// capabilities, still verifies; what it refuses goes out unchanged.
TEST(ObjectEncodeTest, FixLeavesSignedContentAsItStands) {
    std::string cert = Orvanta::Test::scratchDir("smime") + "/cert.pem";
    auto made = Orvanta::Test::runProcess({"openssl", "req", "-new", "-x509", "-key",
                                           Orvanta::OpenSSL::Test::keyFiles("rsa").privatePath, "-subj",
                                           "/CN=signer@example.org", "-days", "2", "-out", cert});
    ASSERT_EQ(made.status, 0) << made.err;
    struct Row {
        const char* outer; // header lines on top of what openssl writes
        const char* content;
        bool fixed; // what fix answers under the standard capabilities
    } const rows[] = {
        {"",
         "Content-Type: text/plain; charset=utf-8\r\nContent-Transfer-Encoding: 8bit\r\n\r\ncaf\xc3\xa9\r\n",
         false},
        {"", "Content-Type: text/plain\r\nContent-Description: caf\xc3\xa9\r\n\r\nplain\r\n", false},
        // the header around the signed part is not signed
        {"Subject: caf\xc3\xa9\n", "Content-Type: text/plain\r\n\r\nplain\r\n", true},
    };
    for (const Row& row : rows) {
        auto signs = Orvanta::Test::runProcess({"openssl", "smime", "-sign", "-signer", cert, "-inkey",
                                                Orvanta::OpenSSL::Test::keyFiles("rsa").privatePath},
                                               row.content);
        ASSERT_EQ(signs.status, 0) << signs.err;
        std::string input = row.outer + signs.out;
        for (const Capabilities* caps : {&Capabilities::standard(), &Capabilities::utf8()}) {
            Object message(input.data(), input.size());
            bool fixed = message.fix(*caps);
            EXPECT_EQ(fixed, caps->eightbit() || row.fixed) << row.content;
            std::string out = encoded(message, fixed ? *caps : Capabilities::utf8());
            auto verified = Orvanta::Test::runProcess({"openssl", "smime", "-verify", "-noverify"}, out);
            EXPECT_EQ(verified.status, 0) << verified.err << out;
        }
    }
}

TEST(LineEncodeTest, LinesOverTheHardLimitAreFoldedWithoutEightBitTransport) {
    std::string value;
    for (int i = 0; i < 200; ++i)
        value += "word" + std::to_string(i) + " ";
    std::string field = "Comments: " + value + "\r\n";
    std::string folded = line(field, Capabilities::standard());
    EXPECT_TRUE(transportable(folded));
    EXPECT_NE(folded, field);
    EXPECT_TRUE(Line(field.c_str()).encodable(Capabilities::standard()));
    // a quoted string too long for any line is folded at its blanks too,
    // written again or set
    for (const char* name : {"Comments", "Keywords", "Resent-Sender"}) {
        std::string quoted = "\"" + value + "\"";
        std::string field = std::string(name) + ": " + quoted + "\r\n";
        EXPECT_TRUE(transportable(line(field, Capabilities::standard()))) << name;
        Header header;
        header.set(name, quoted.c_str());
        EXPECT_TRUE(transportable(std::string(header[0].data(), header[0].size()))) << name;
    }
    // the UTF-8 preset copies it as it stands
    EXPECT_EQ(line(field, Capabilities::utf8()), field);
    // a single word over the limit cannot be folded
    std::string word = "Comments: " + std::string(1000, 'x') + "\r\n";
    EXPECT_FALSE(Line(word.c_str()).encodable(Capabilities::standard()));
    // and copied as it stands, it is still over the hard limit
    EXPECT_FALSE(Line(word.c_str()).encodable(Capabilities::utf8()));
}

// Fields are looked at eight bytes at a time: a NUL, a lone CR or an 8-bit
// byte is found wherever it stands, and a folded line's CR LF is no lone CR.
TEST(LineEncodeTest, BytesNoWriterCarriesAreFoundAnywhereInTheField) {
    using namespace std::string_literals;
    for (size_t size = 0; size < 30; ++size) {
        for (size_t at = 0; at < size; ++at) {
            std::string value(size, 'x');
            if (at + 3 < size) value.replace(at, 3, "\r\n ");
            std::string folded = "Comments: " + value + "\r\n";
            EXPECT_TRUE(Line(folded.c_str()).encodable(Capabilities::utf8())) << folded;
            for (char byte : {'\0', '\r'}) {
                std::string field = "Comments: " + std::string(size, 'x') + "\r\n";
                field[10 + at] = byte;
                EXPECT_FALSE(Line(field.data(), field.size()).encodable(Capabilities::utf8())) << field;
            }
            std::string eightbit = "Comments: " + std::string(size, 'x') + "\r\n";
            eightbit[10 + at] = '\xe9';
            EXPECT_FALSE(Line(eightbit.c_str()).raw(Capabilities::standard())) << eightbit;
        }
    }
    EXPECT_FALSE(Line("Comments: x\r"s.c_str()).encodable(Capabilities::utf8()));
    EXPECT_FALSE(Line("Comments: x\r\r\n"s.c_str()).encodable(Capabilities::utf8()));
}

TEST(LineEncodeTest, AuthenticationFieldsWithoutTheirClassStayAsTheyStand) {
    // re-encoded (8-bit bytes under the standard preset), a value whose class
    // does not exist yet is kept byte for byte, its line ends made CR LF;
    // an unknown name of the same shape is folded again
    for (const char* name : {"DKIM-Signature", "ARC-Seal", "ARC-Message-Signature",
                             "ARC-Authentication-Results", "Authentication-Results"}) {
        std::string field = std::string(name) + ": a=1;\n  b=caf\xc3\xa9;   c=2\n";
        EXPECT_EQ(line(field, Capabilities::standard()),
                  std::string(name) + ": a=1;\r\n  b=caf\xc3\xa9;   c=2\r\n");
    }
    EXPECT_EQ(line("Comments: a=1;\n  b=caf\xc3\xa9;   c=2\n", Capabilities::standard()).find("   "),
              std::string::npos);
}
