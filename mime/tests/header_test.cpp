#include "filter/mimeheaderdecode.h"
#include "filter/string.h"
#include "mime/grammar/contentdisposition.h"
#include "mime/grammar/contentid.h"
#include "mime/grammar/contenttype.h"
#include "mime/grammar/datetime.h"
#include "mime/grammar/targets.h"
#include "mime/message/contenttransferencoding.h"
#include "mime/message/header.h"
#include "mime/message/object.h"
#include "testsupport/process.h"

#include <gtest/gtest.h>

#include <cstring>
#include <limits>
#include <stdexcept>
#include <string>
#include <vector>

using namespace Orvanta::Mime;

namespace {

std::string text(const String& view) {
    return std::string(view.data(), view.size());
}

// a header parsed from a text that the fixture keeps alive
class HeaderTest : public ::testing::Test {
protected:
    Object::ExtHeader& parse(const std::string& input) {
        _text = input;
        _header = Object::ExtHeader(_text.data(), _text.size());
        return _header;
    }

    std::vector<std::string> names() const {
        std::vector<std::string> result;
        for (const Line& line : _header.lines())
            result.push_back(text(line.key));
        return result;
    }

    std::vector<std::string> values() const {
        std::vector<std::string> result;
        for (const Line& line : _header.lines())
            result.push_back(text(line.value));
        return result;
    }

    std::string _text;
    Object::ExtHeader _header;
};

// a typed value whose writing fails
class Unwritable : public HeaderField {
public:
    using HeaderField::encode;
    size_t encode(const Capabilities&, Orvanta::Filter::Result*, bool) const override {
        throw std::runtime_error("cannot write");
    }
};

Key key(const char* name) {
    return Key(name, std::strlen(name));
}

} // namespace

TEST_F(HeaderTest, LookupsIgnoreCaseAndMatchWholeNames) {
    Header& header = parse("To: a\r\nCC: b\r\nto: c\r\nTox: d\r\nResent-To: e\r\nSubject: hello\r\n\r\n");
    EXPECT_EQ(text(header.get("TO")), "a");
    std::vector<Value> all = header.all("to");
    ASSERT_EQ(all.size(), 2u);
    EXPECT_EQ(text(all[0]), "a");
    EXPECT_EQ(text(all[1]), "c");
    EXPECT_EQ(header.all(String("TO", 2)).size(), 2u);
    EXPECT_TRUE(header.contains("cc"));
    EXPECT_FALSE(header.contains("bcc"));
    EXPECT_FALSE(header.contains("t"));
    EXPECT_TRUE(header.contains(key("SUBJECT"), Value("HELLO", 5)));
    EXPECT_FALSE(header.contains(key("subject"), Value("hell", 4)));
    EXPECT_EQ(header.get("bcc").size(), 0u);
    EXPECT_TRUE(header.all("bcc").empty());
}

TEST_F(HeaderTest, EightBitIsAboutValuesOnly) {
    EXPECT_TRUE(parse("X\xc3\xa9: a\r\n\r\n").sevenbit());
    EXPECT_TRUE(parse("Subject: caf\xc3\xa9\r\n\r\n").eightbit());
    Header empty;
    EXPECT_TRUE(empty.sevenbit());
    EXPECT_FALSE(empty.eightbit());
    EXPECT_TRUE(empty.valid());
}

TEST_F(HeaderTest, CoversAndMatches) {
    std::string other = "subject: HI\r\nTo: a\r\n\r\n";
    Object::ExtHeader small(other.data(), other.size());
    Header& header = parse("To: a\r\nSubject: hi\r\nCc: b\r\n\r\n");
    EXPECT_TRUE(header.covers(small));
    EXPECT_FALSE(small.covers(header));
    EXPECT_FALSE(header.matches(small));
    EXPECT_TRUE(header.matches(header));
}

TEST_F(HeaderTest, SetReplacesFirstAndRemovesLaterLines) {
    Header& header = parse("Received: 1\r\nA: x\r\nReceived: 2\r\nB: y\r\nReceived: 3\r\n\r\n");
    header.set("received", "new");
    EXPECT_EQ(names(), (std::vector<std::string>{"received", "A", "B"}));
    EXPECT_EQ(values(), (std::vector<std::string>{"new", "x", "y"}));
    header.set("X-New", "appended");
    EXPECT_EQ(names().back(), "X-New");
    for (const Line& line : header.lines())
        EXPECT_EQ(line.value.key(), &line.key);
}

TEST_F(HeaderTest, SubjectKeepsWordsInAnUnknownCharset) {
    Header& header = parse("Subject: x\r\n\r\n");
    header.set("Subject", "=?utf-8?q?caf=C3=A9?= and =?x-unknown?q?abc?=");
    std::string written = text(header[0]);
    EXPECT_NE(written.find("x-unknown"), std::string::npos) << written;
    // read back, the word stands as it was written
    std::string decoded;
    {
        Orvanta::Filter::String sink(&decoded);
        Orvanta::Filter::MimeHeaderDecode decoder("utf-8", &sink);
        decoder.append(header[0].value.data(), header[0].value.size(), false);
    }
    EXPECT_EQ(decoded, "caf\xc3\xa9 and =?x-unknown?q?abc?=");
}

// What a text holds that the library cannot read exactly goes into the line
// as it was given: an encoded word whose bytes do not convert, parameters a
// strict parse drops. Written from what was read, every reader would lose it.
TEST_F(HeaderTest, SetKeepsWhatItCannotReadExactly) {
    struct Row {
        const char* name;
        const char* value;
        const char* line;
    } const rows[] = {
        {"Subject", "hi =?utf-7?b?YStBT2tBLQ==?= x", "Subject: hi =?utf-7?b?YStBT2tBLQ==?= x\r\n"},
        {"Subject", "caf\xc3\xa9 =?utf-8?q?caf=E9?= x",
         "Subject: =?utf-8?q?caf=C3=A9_?= =?utf-8?q?caf=E9?= x\r\n"},
        {"X-Note", "=?iso-2022-jp?b?GyRCLSEbKEI=?=", "X-Note: =?iso-2022-jp?b?GyRCLSEbKEI=?=\r\n"},
        // readers join the bytes of the words that follow in its charset
        {"X-Note", "=?utf-7?q?a=2BAOkA=2D?= =?utf-7?q?ok?= x",
         "X-Note: =?utf-7?q?a=2BAOkA=2D?= =?utf-7?q?ok?= x\r\n"},
        {"To", "=?utf-7?q?a=2BAOkA=2D?= =?utf-7?q?ok?= <j@example.org>",
         "To: =?utf-7?q?a=2BAOkA=2D?= =?utf-7?q?ok?= <j@example.org>\r\n"},
        // decoded text keeps its charset beside raw bytes that are no UTF-8
        {"Subject", "=?utf-8?q?J=C3=B6rg?= caf\xe9",
         "Subject: =?utf-8?q?J=C3=B6rg_?= =?unknown-8bit?q?caf=E9?=\r\n"},
        {"To", "=?utf-8?q?caf=E9?= <j@example.org>", "To: =?utf-8?q?caf=E9?= <j@example.org>\r\n"},
        // text that decodes to the shape of an encoded word is encoded; one
        // glued after text, which other readers decode, stays as it stood
        {"X-Note", "=?us-ascii?q?=3D=3Fx=3Fq=3Fa=3F=3D?= x=?x-y?q?b?= =?x-y?q?c?=",
         "X-Note: =?utf-8?q?=3D=3Fx=3Fq=3Fa=3F=3D?= x=?x-y?q?b?= =?x-y?q?c?=\r\n"},
        {"Content-Disposition", "attachment; name*=x-nonesuch''caf%E9.txt",
         "Content-Disposition: attachment; name*=x-nonesuch''caf%E9.txt\r\n"},
        {"Content-Disposition", "attachment; name*0=caf\xc3\xa9; name*1=.txt",
         "Content-Disposition: attachment; name*0=caf\xc3\xa9; name*1=.txt\r\n"},
        {"Content-Disposition", "attachment; name*0=abc; name*2=def",
         "Content-Disposition: attachment; name*0=abc; name*2=def\r\n"},
        // an identifier is not all of a text that goes on after it
        {"Content-ID", "<b@example.org> tail", "Content-ID: <b@example.org> tail\r\n"},
        {"Content-ID", "<a@example.org> <b@example.org>", "Content-ID: <a@example.org> <b@example.org>\r\n"},
        // nor are values with comments, which their classes do not write
        {"Content-Type", "text/plain; charset=utf-8 (comment)",
         "Content-Type: text/plain; charset=utf-8 (comment)\r\n"},
        {"Content-Disposition", "(c) inline", "Content-Disposition: (c) inline\r\n"},
        {"Authentication-Results", "mx.example; spf=pass (ok) smtp.mailfrom=a@b.example",
         "Authentication-Results: mx.example; spf=pass (ok) smtp.mailfrom=a@b.example\r\n"},
        {"ARC-Authentication-Results", "i=1 (first); mx.example.org; none",
         "ARC-Authentication-Results: i=1 (first); mx.example.org; none\r\n"},
    };
    for (const Row& row : rows) {
        Header header;
        header.set(row.name, row.value);
        EXPECT_EQ(text(header[0]), row.line);
    }
}

TEST_F(HeaderTest, EmptyOrNullValuesChangeNothing) {
    Header& header = parse("X-Note: keep\r\n\r\n");
    header.set("X-Note", "");
    header.set("X-Note", static_cast<const char*>(nullptr));
    header.set(static_cast<const char*>(nullptr), "v");
    header.set("", "v");
    header.set(header.begin(), "");
    header.append("X-Other", static_cast<const char*>(nullptr));
    header.prepend(static_cast<const char*>(nullptr), "v");
    // nor does a null name find or remove a line
    const char* none = nullptr;
    header.remove(none);
    EXPECT_FALSE(header.contains(none) || header.get(none).size() != 0 || header.find(none) != header.end());
    EXPECT_EQ(names(), (std::vector<std::string>{"X-Note"}));
    EXPECT_EQ(values(), (std::vector<std::string>{"keep"}));
}

TEST_F(HeaderTest, TypedTextsAreNormalisedAndBadOnesKeptRaw) {
    Header& header = parse("content-transfer-encoding: 7bit\r\n\r\n");
    header.set("CONTENT-TRANSFER-ENCODING", "  BASE64 ");
    EXPECT_EQ(text(header[0]), "Content-Transfer-Encoding: base64\r\n");
    header.set("content-transfer-encoding", "uuencode");
    EXPECT_EQ(text(header[0]), "content-transfer-encoding: uuencode\r\n");
    header.append("content-id", "  <a@b>  ");
    EXPECT_EQ(text(header[1]), "content-id: <a@b>\r\n");
    header.set(header.find("content-id"), "no-brackets");
    EXPECT_EQ(text(header[1]), "content-id: no-brackets\r\n");
}

TEST_F(HeaderTest, ParameterValuesKeepTheirBlanksThroughTheFoldingWriter) {
    // the word wrapper makes every run of blanks one space: a line that fits
    // is then written as it is, a value folded with the parameters in the
    // percent-encoded form
    Header header;
    header.set("Content-Disposition", "attachment; filename=\"two  spaces.txt\"; note=\"one space\"");
    const Value& value = header.get("content-disposition");
    ContentDisposition disposition(value.data(), value.size());
    EXPECT_EQ(disposition.params().get("filename"), "two  spaces.txt");
    EXPECT_EQ(disposition.params().get("note"), "one space");
    EXPECT_EQ(text(header[0]),
              "Content-Disposition: attachment; filename=\"two  spaces.txt\"; note=\"one space\"\r\n");
    // a parsed line written back through a 7-bit transport keeps them too
    std::string input = "Content-Type: text/plain; name=\"caf\xc3\xa9  menu.txt\"; x=\"a  b\"\r\n\r\n";
    Object object(input.data(), input.size());
    std::string out = object.header.str(false);
    Object back(out.data(), out.size());
    const Value& type = back.header.get("content-type");
    ContentType parsed(type.data(), type.size(), true);
    EXPECT_EQ(parsed.params().get("name"), "caf\xc3\xa9  menu.txt");
    EXPECT_EQ(parsed.params().get("x"), "a  b");
    // so do the sections of a value whose bytes did not convert, kept as
    // they stood, on a line the writer must fold
    std::string kept = "text/plain; name*0=\"a  b\"; name*1*=%E9; x=\"" + std::string(1000, 'x') + "\"";
    header.set("Content-Type", kept.c_str());
    EXPECT_NE(text(header[1]).find("; name*0=\"a  b\"; name*1*=%E9"), std::string::npos) << text(header[1]);
}

namespace {

// the local part of every mailbox of an address-list value
std::vector<std::string> locals(const Value& value) {
    std::vector<std::string> out;
    Targets targets(value.data(), value.size(), true);
    for (const auto& target : targets.targets())
        for (const auto& member : target->members())
            out.push_back(member->address().local().text());
    return out;
}

} // namespace

TEST_F(HeaderTest, QuotedLocalPartsKeepTheirBlanksThroughTheFoldingWriter) {
    // the word wrapper would make the two blanks one: another mailbox
    Header header;
    header.set("To", "\"john  doe\"@example.org, team: \"a  b\"@example.org, c@example.org;");
    EXPECT_EQ(locals(header.get("to")), (std::vector<std::string>{"john  doe", "a  b", "c"}));
    EXPECT_EQ(text(header[0]),
              "To: \"john  doe\"@example.org, team: \"a  b\"@example.org, c@example.org;\r\n");
    // a parsed line written again for a 7-bit transport (its name is encoded)
    std::string input = "Cc: J\xc3\xb6rg <\"a  b\"@example.org>\r\n\r\n";
    Object object(input.data(), input.size());
    std::string out = object.header.str(false);
    Object back(out.data(), out.size());
    EXPECT_EQ(locals(back.header.get("cc")), (std::vector<std::string>{"a  b"})) << out;
    // a value that holds a line end is still folded, never written as it is
    header.set("Content-ID", "<a  \r\nBcc: x@example.org>");
    std::string line = text(header[1]);
    EXPECT_EQ(line.find("\r\nBcc"), std::string::npos) << line;
}

TEST_F(HeaderTest, AddressTextsAreRoutedToTheirClasses) {
    Header header;
    header.set("to", "a@example.org,\r\n  \"B\"   <b@example.org>");
    EXPECT_EQ(text(header[0]).rfind("to: a@example.org, ", 0), 0u) << text(header[0]);
    EXPECT_EQ(text(header[0]).find("   "), std::string::npos) << text(header[0]);
    header.set("From", "not an address");
    EXPECT_EQ(text(header[1]), "From: not an address\r\n");
    // a comment's escaped line end (the obsolete quoted-pair) must not leave
    // its backslash before the ')'
    for (const char* value : {"a@b (x\\\n), c@d", "a@b (x\\\r), c@d", "a@b (x\\\r\n), c@d"}) {
        header.set("Cc", value);
        EXPECT_EQ(locals(header.get("cc")), (std::vector<std::string>{"a", "c"})) << value;
    }
}

TEST_F(HeaderTest, FailedComposeLosesNothing) {
    Header& header = parse("Received: 1\r\nReceived: 2\r\n\r\n");
    EXPECT_THROW(header.set("Received", Unwritable()), std::runtime_error);
    EXPECT_EQ(values(), (std::vector<std::string>{"1", "2"}));
    EXPECT_THROW(header.set(header.begin(), Unwritable()), std::runtime_error);
    header.append("X-A", Unwritable());
    header.prepend("X-A", Unwritable());
    EXPECT_EQ(values(), (std::vector<std::string>{"1", "2"}));
    // a name that cannot head a field is refused before anything changes:
    // written, it would be read as another field, or as no header at all
    for (const char* name : {"Bad Name", "To: evil@example.net\r\nX", "X-A: b", "X-A:", ":", "X\xc3\xa9",
                             "X\x01", "X\x7f", "X\t", "Received\r\n"}) {
        EXPECT_THROW(header.set(name, "v"), std::runtime_error) << name;
        EXPECT_THROW(header.set(name, ContentTransferEncoding(ContentTransferEncoding::base64)),
                     std::runtime_error)
            << name;
        header.append(name, "v");
        header.prepend(name, "v");
        header.append(name, ContentTransferEncoding(ContentTransferEncoding::base64));
        header.prepend(name, ContentTransferEncoding(ContentTransferEncoding::base64));
        EXPECT_EQ(values(), (std::vector<std::string>{"1", "2"})) << name;
    }
    EXPECT_THROW(header.set("", ContentTransferEncoding(ContentTransferEncoding::base64)),
                 std::runtime_error);
    header.append("", "v");
    EXPECT_EQ(header.size(), 2u);
}

TEST_F(HeaderTest, AppendAndPrependAddComposedLines) {
    Header& header = parse("B: 2\r\n\r\n");
    header.append("C", "3");
    header.prepend("A", "1");
    header.append("X-Empty", "");
    EXPECT_EQ(names(), (std::vector<std::string>{"A", "B", "C", "X-Empty"}));
    EXPECT_EQ(text(header[0]), "A: 1\r\n");
    EXPECT_EQ(header[3].value.size(), 0u);
    header.set(ContentTransferEncoding(ContentTransferEncoding::binary));
    EXPECT_EQ(text(header.get("content-transfer-encoding")), "binary");
    EXPECT_EQ(text(header.lines().back().key), "Content-Transfer-Encoding");
}

TEST_F(HeaderTest, RawValuesAreFoldedAndCannotInjectLines) {
    Header header;
    std::string words;
    for (int i = 0; i < 30; ++i)
        words += "word" + std::to_string(i) + " ";
    header.set("Comments", words.c_str());
    std::string line = text(header[0]);
    EXPECT_NE(line.find("\r\n "), std::string::npos);
    for (size_t start = 0, end; (end = line.find("\r\n", start)) != std::string::npos; start = end + 2)
        EXPECT_LE(end - start, 78u);
    header.set("X-Evil", "a\r\nBcc: victim@example.org");
    EXPECT_FALSE(header.contains("bcc"));
    EXPECT_EQ(header.size(), 2u);
}

TEST_F(HeaderTest, RemoveVariants) {
    Header& header = parse("A: 1\r\nB: 2\r\na: 3\r\nC: 4\r\nD: 5\r\n\r\n");
    HeaderIterator at = header.remove(HeaderIterator(&header, 2, String("a", 1)));
    EXPECT_EQ(at.index(), 2u);
    EXPECT_EQ(text(at.key()), "C");
    header.remove("a");
    EXPECT_EQ(names(), (std::vector<std::string>{"B", "C", "D"}));
    header.remove(size_t(1));
    header.remove(size_t(9));
    EXPECT_EQ(names(), (std::vector<std::string>{"B", "D"}));
    header.remove([](const Line& line) { return text(line.value) == "5"; });
    EXPECT_EQ(names(), (std::vector<std::string>{"B"}));
    EXPECT_EQ(header.lines()[0].value.key(), &header.lines()[0].key);
}

TEST_F(HeaderTest, SortByNameKeepsOtherLinesInPlace) {
    Header& header = parse("Received: gamma\r\nX: 1\r\nReceived: alpha\r\nY: 2\r\nReceived: beta\r\n\r\n");
    header.sort(key("received"), [](const Value& a, const Value& b) { return text(a) < text(b); });
    EXPECT_EQ(values(), (std::vector<std::string>{"alpha", "1", "beta", "2", "gamma"}));
    for (const Line& line : header.lines())
        EXPECT_EQ(line.value.key(), &line.key);
    header.sort([](const Line& a, const Line& b) { return text(a.value) > text(b.value); });
    EXPECT_EQ(values(), (std::vector<std::string>{"gamma", "beta", "alpha", "2", "1"}));
    for (const Line& line : header.lines())
        EXPECT_EQ(line.value.key(), &line.key);
    // a comparator that is no ordering at all must not break anything
    header.sort([](const Line&, const Line&) { return true; });
    EXPECT_EQ(header.size(), 5u);
}

TEST_F(HeaderTest, WritesLinesAndItsEmptyLine) {
    Header& header = parse("A: 1\nB: 2\r\n\r\nbody");
    EXPECT_EQ(header.str(), "A: 1\r\nB: 2\r\n\r\n");
    Header built;
    built.append("Subject", "hi");
    EXPECT_EQ(built.str(), "Subject: hi\r\n\r\n");
}

TEST_F(HeaderTest, CopiesShareComposedTexts) {
    Header copy;
    {
        Header original;
        original.set("X-A", "composed");
        copy = original;
        original.clear();
        EXPECT_EQ(original.size(), 0u);
    }
    EXPECT_EQ(text(copy.get("x-a")), "composed");
    const char* kept = copy.preserve("abc", 3);
    EXPECT_STREQ(kept, "abc");
}

TEST_F(HeaderTest, Multipart) {
    EXPECT_FALSE(parse("Subject: x\r\n\r\n").multipart());
    EXPECT_FALSE(parse("Content-Type: multipart/mixed\r\n\r\n").multipart());
    EXPECT_TRUE(parse("Content-Type: multipart/mixed; boundary=b\r\n\r\n").multipart());
    EXPECT_TRUE(parse("Content-Type : multipart/mixed; boundary=b\r\n\r\n").multipart());
    EXPECT_TRUE(parse("Content-Type: MULTIPART/Alternative ; boundary=\"b\"\r\n\r\n").multipart());
    EXPECT_FALSE(parse("Content-Type: text/plain\r\n\r\n").multipart());
}

TEST_F(HeaderTest, DateIsWrittenAsAnRfc5322DateTime) {
    Header& header = parse("Date: yesterday\r\nSubject: x\r\n\r\n");
    // the first and the last second of the four-digit years from 1900 on
    for (std::time_t when : {std::time_t(0), std::time_t(951782400), std::time_t(1796631333),
                             std::time_t(-2208988800), std::time_t(253402300799)}) {
        header.set(DateTime(when));
        EXPECT_EQ(header.size(), 2u);
        std::string line = text(header[0]);
        EXPECT_EQ(line.rfind("Date: ", 0), 0u);
        auto python = Orvanta::Test::runProcess(
            {Orvanta::Test::python3(), "-c",
             "import sys, email.utils\n"
             "print(int(email.utils.parsedate_to_datetime(sys.stdin.read()[6:].strip()).timestamp()))"},
            line);
        EXPECT_EQ(python.out, std::to_string(when) + "\n") << line << python.err;
    }
    EXPECT_EQ(DateTime(0).text(), "Thu, 01 Jan 1970 00:00:00 +0000");
    // a year the field cannot carry, or that readers take for another
    // century, is refused; far out it would not even fit an int
    for (std::time_t when : {std::time_t(-2208988801), std::time_t(253402300800), std::time_t(-62135596800),
                             std::time_t(67768036191676799), std::numeric_limits<std::time_t>::min(),
                             std::numeric_limits<std::time_t>::max()})
        EXPECT_THROW(DateTime{when}, std::runtime_error) << when;
}
