#include "filter/string.h"
#include "mime/grammar/capabilities.h"
#include "mime/message/epilogue.h"
#include "mime/message/object.h"
#include "mime/message/preamble.h"
#include "testsupport/peakmemory.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

using namespace Orvanta::Mime;

namespace {

std::string text(const String& view) {
    return std::string(view.data(), view.size());
}
std::string text(const Boundary& line) {
    return std::string(line.data(), line.size());
}

std::string const head = "Content-Type: multipart/mixed; boundary=b\r\n\r\n";

// a sink that fails once it has taken a number of bytes
class Failing : public Orvanta::Filter::Result {
public:
    explicit Failing(size_t room) : _room(room) {}
    using Result::append;
    size_t append(const char*, size_t size, bool) override {
        if (size > _room) throw std::runtime_error("sink full");
        _room -= size;
        return size;
    }

private:
    size_t _room;
};

} // namespace

TEST(BodyTest, PreamblePartEpilogueAndWriteBack) {
    std::string input = head + "preamble\r\n--b\r\nX: 1\r\n\r\npart body\r\n--b--\r\nepilogue\r\n";
    Object object(input.data(), input.size());
    const Body& body = object.body;
    EXPECT_EQ(text(body.preamble()), "preamble\r\n");
    ASSERT_EQ(body.parts().size(), 1u);
    const Object& part = *body.parts()[0];
    EXPECT_EQ(text(part.header.get("x")), "1");
    EXPECT_EQ(text(part.body), "part body\r\n");
    EXPECT_EQ(text(part.boundary), "--b--\r\n");
    EXPECT_TRUE(part.boundary.closing());
    EXPECT_EQ(text(body.epilogue()), "epilogue\r\n");
    EXPECT_TRUE(body.valid());
    EXPECT_EQ(object.str(), input);
}

TEST(BodyTest, WithoutDelimiterAllIsPreamble) {
    std::string input = head + "just text\r\nmore";
    Object object(input.data(), input.size());
    EXPECT_EQ(text(object.body.preamble()), "just text\r\nmore");
    EXPECT_TRUE(object.body.preamble().boundary().empty());
    EXPECT_TRUE(object.body.parts().empty());
    EXPECT_TRUE(object.body.valid());
    // written as it came: no delimiter it lacked is added, every time
    std::string written = object.str();
    EXPECT_EQ(written, head + "just text\r\nmore\r\n");
    EXPECT_EQ(Object(written.data(), written.size()).str(), written);
    // nor for an empty body
    Object empty(head.data(), head.size());
    EXPECT_EQ(empty.str(), head);
}

TEST(BodyTest, PartWithoutEmptyLineIsAllHeader) {
    std::string input = head + "--b\r\nX: 1\r\n--b--\r\n";
    Object object(input.data(), input.size());
    ASSERT_EQ(object.body.parts().size(), 1u);
    EXPECT_EQ(object.body.parts()[0]->header.size(), 1u);
    EXPECT_EQ(object.body.parts()[0]->body.size(), 0u);
}

TEST(BodyTest, FirstDelimiterClosingKeepsTheRestAsEpilogue) {
    std::string input = head + "pre\r\n--b--\r\n--b\r\nX: 1\r\n\r\nlost?\r\n--b--\r\n";
    Object object(input.data(), input.size());
    EXPECT_EQ(text(object.body.preamble()), "pre\r\n");
    EXPECT_TRUE(object.body.parts().empty());
    EXPECT_EQ(text(object.body.epilogue()), "--b\r\nX: 1\r\n\r\nlost?\r\n--b--\r\n");
    EXPECT_EQ(object.str(), input);
}

TEST(BodyTest, ParsingStopsAtTheClosingDelimiter) {
    std::string input =
        head + "--b\r\nX: 1\r\n\r\none\r\n--b--\r\nafter\r\n--b\r\nX: 2\r\n\r\ntwo\r\n--b--\r\n";
    Object object(input.data(), input.size());
    ASSERT_EQ(object.body.parts().size(), 1u);
    EXPECT_EQ(text(object.body.epilogue()), "after\r\n--b\r\nX: 2\r\n\r\ntwo\r\n--b--\r\n");
    EXPECT_EQ(object.str(), input);
}

TEST(BodyTest, UnclosedAndPaddedDelimiterLines) {
    struct Case {
        std::string body;
        std::vector<std::string> parts; // each part's body
        std::string epilogue;
        // the body written back; null: as it came (checked where its line
        // ends are CR LF, which writing makes of any other)
        const char* written;
    };
    const Case cases[] = {
        // a truncated message keeps its last part, and is written back
        // without the closing delimiter it lacked
        {"--b\r\nX: 1\r\n\r\none\r\n--b\r\nX: 2\r\n\r\ntwo\r\n", {"one\r\n", "two\r\n"}, "", nullptr},
        {"pre\r\n--b\r\nX: 1\r\n\r\nattachment",
         {"attachment"},
         "",
         "pre\r\n--b\r\nX: 1\r\n\r\nattachment\r\n"},
        // a part header right before the end gains no empty line
        {"--b\r\nX: 1\r\n", {""}, "", nullptr},
        // a delimiter line at the very end leaves nothing to keep
        {"--b\r\nX: 1\r\n\r\none\r\n--b\r\n", {"one\r\n"}, "", nullptr},
        // blanks after a delimiter are transport padding (RFC 2046): the line
        // is a delimiter and is written back as it came
        {"--b \r\nX: 1\r\n\r\none\r\n--b--\t \r\nepi\r\n", {"one\r\n"}, "epi\r\n", nullptr},
        {"pre\r\n--b\t\r\nX: 1\r\n\r\none\r\n--b  \r\nX: 2\r\n\r\ntwo\r\n--b--  \r\n",
         {"one\r\n", "two\r\n"},
         "",
         nullptr},
        {"--b \nX: 1\n\none\n--b-- \n", {"one\n"}, "", nullptr},
        {"--b--  ", {}, "", nullptr},
    };
    for (const Case& c : cases) {
        std::string input = head + c.body;
        Object object(input.data(), input.size());
        ASSERT_EQ(object.body.parts().size(), c.parts.size()) << c.body;
        for (size_t i = 0; i < c.parts.size(); ++i)
            EXPECT_EQ(text(object.body.parts()[i]->body), c.parts[i]);
        EXPECT_EQ(text(object.body.epilogue()), c.epilogue) << c.body;
        if (c.written != nullptr) {
            EXPECT_EQ(object.str(), head + c.written);
        } else if (c.body.find('\r') != std::string::npos) {
            EXPECT_EQ(object.str(), input);
        }
    }
}

TEST(BodyTest, DelimiterSearch) {
    // inside a line, followed by CR LF: not a delimiter (RFC 2046), so a
    // sender cannot cut a part where it likes
    std::string inside = head + "--b\r\nX: 1\r\n\r\nhello --b\r\nworld\r\n--b--\r\n";
    Object a(inside.data(), inside.size());
    ASSERT_EQ(a.body.parts().size(), 1u);
    EXPECT_EQ(text(a.body.parts()[0]->body), "hello --b\r\nworld\r\n");
    EXPECT_EQ(a.str(), inside);
    // followed by a blank and text, or by "--" and a letter: rejected, and
    // the later plain delimiter is not closing
    std::string rejected = head + "--b x\r\n--b--x\r\n--b\r\nX: 1\r\n\r\n--b--\r\n";
    Object b(rejected.data(), rejected.size());
    EXPECT_EQ(text(b.body.preamble()), "--b x\r\n--b--x\r\n");
    EXPECT_FALSE(b.body.preamble().boundary().closing());
    EXPECT_EQ(b.body.parts().size(), 1u);
    EXPECT_EQ(b.str(), rejected);
    // at the very end of the text
    std::string end = head + "--b\r\nX: 1\r\n\r\nz\r\n--b--";
    Object c(end.data(), end.size());
    ASSERT_EQ(c.body.parts().size(), 1u);
    EXPECT_TRUE(c.body.parts()[0]->boundary.closing());
}

TEST(BodyTest, DelimiterOverlappingARejectedOne) {
    // "--a--a" at the start of the line is followed by "--" and 'a'; the
    // match that starts inside it does not start a line
    std::string shared = "Content-Type: multipart/mixed; boundary=a--a\r\n\r\n"
                         "--a--a--a\r\nX: 1\r\n\r\nbody\r\n--a--a--\r\n";
    Object a(shared.data(), shared.size());
    EXPECT_EQ(text(a.body.preamble()), "--a--a--a\r\nX: 1\r\n\r\nbody\r\n");
    EXPECT_TRUE(a.body.preamble().boundary().closing());
    EXPECT_TRUE(a.body.parts().empty());
    // a run of hyphens against the separator "---": a line of four is not a
    // delimiter, one of five is the closing one
    std::string run = "Content-Type: multipart/mixed; boundary=-\r\n\r\n"
                      "---\r\n----\r\nX: 1\r\n\r\nbody\r\n-----\r\n";
    Object b(run.data(), run.size());
    EXPECT_EQ(text(b.body.preamble().boundary()), "---\r\n");
    ASSERT_EQ(b.body.parts().size(), 1u);
    EXPECT_EQ(b.body.parts()[0]->header.strays().size(), 1u);
    EXPECT_TRUE(b.body.parts()[0]->boundary.closing());
    EXPECT_EQ(b.str(), run);
    // a long boundary of hyphens over a longer run of them: no delimiter
    std::string dashes(3000, '-');
    std::string longer = "Content-Type: multipart/mixed; boundary=\"" + dashes + "\"\r\n\r\n" +
                         std::string(9000, '-') + "\r\n";
    Object c(longer.data(), longer.size());
    EXPECT_EQ(c.body.preamble().size(), 9002u);
    EXPECT_TRUE(c.body.parts().empty());
}

TEST(BodyTest, LoneCarriageReturnDoesNotSwallowText) {
    // a lone CR ends no line: "--b" CR is no delimiter line, and the text
    // is written back with its CR as it stood
    std::string input = head + "--b\rX: 1\r\n\r\nkept\r\n--b--\r\n";
    Object object(input.data(), input.size());
    EXPECT_TRUE(object.body.parts().empty());
    EXPECT_EQ(text(object.body.preamble()), "--b\rX: 1\r\n\r\nkept\r\n");
    EXPECT_EQ(object.str(), input);
}

TEST(BodyTest, AdjacentDelimitersMakeAnEmptyPart) {
    std::string input = head + "--b\r\n--b\r\nX: 1\r\n\r\ntwo\r\n--b--\r\n";
    Object object(input.data(), input.size());
    ASSERT_EQ(object.body.parts().size(), 2u);
    EXPECT_EQ(object.body.parts()[0]->header.size(), 0u);
    EXPECT_EQ(object.body.parts()[0]->body.size(), 0u);
    EXPECT_EQ(text(object.body.parts()[1]->body), "two\r\n");
}

TEST(BodyTest, LineFeedDelimitersAreWrittenFresh) {
    std::string input = head + "--b\nX: 1\n\none\n--b--\n";
    Object object(input.data(), input.size());
    ASSERT_EQ(object.body.parts().size(), 1u);
    EXPECT_EQ(object.str(), head + "--b\r\nX: 1\r\n\r\none\r\n--b--\r\n");
    // a binary part keeps its bytes; the line end before the delimiter is
    // the delimiter's, not content of the part
    std::string binary = head + "--b\nContent-Transfer-Encoding: binary\n\na\nb\n--b--\n";
    EXPECT_EQ(Object(binary.data(), binary.size()).str(),
              head + "--b\r\nContent-Transfer-Encoding: binary\r\n\r\na\nb\r\n--b--\r\n");
}

TEST(BodyTest, BoundaryEndingInHyphensIsNotTakenForClosing) {
    std::string type = "Content-Type: multipart/digest; boundary=\"__--__--\"\r\n\r\n";
    std::string input =
        type + "--__--__--\r\nX: 1\r\n\r\none\r\n--__--__--\r\nX: 2\r\n\r\ntwo\r\n--__--__----\r\n";
    Object object(input.data(), input.size());
    ASSERT_EQ(object.body.parts().size(), 2u);
    EXPECT_FALSE(object.body.parts()[0]->boundary.closing());
    EXPECT_TRUE(object.body.parts()[1]->boundary.closing());
    EXPECT_EQ(object.str(), input);
}

TEST(BodyTest, EightBitBoundaryKeepsItsBytes) {
    // written for a 7-bit transport, the boundary parameter is encoded; read
    // back, it is still the boundary of the delimiter lines
    for (const char* boundary : {"caf\xe9", "caf\xc3\xa9"}) {
        std::string b = boundary;
        std::string input = "Content-Type: multipart/mixed; boundary=\"" + b + "\"\r\n\r\n--" + b +
                            "\r\nX: 1\r\n\r\none\r\n--" + b + "--\r\n";
        std::string written = Object(input.data(), input.size()).str(false);
        Object again(written.data(), written.size());
        ASSERT_EQ(again.body.parts().size(), 1u) << written;
        EXPECT_EQ(text(again.body.parts()[0]->body), "one\r\n");
        EXPECT_EQ(again.str(false), written);
    }
}

TEST(BodyTest, AddedPartsGetFreshDelimiters) {
    std::string input = head + "--b\r\nX: 1\r\n\r\none\r\n--b--\r\n";
    Object object(input.data(), input.size());
    std::string extra = "X: 2\r\n\r\ntwo\r\n";
    object.body.append(Object(extra.data(), extra.size()));
    std::string written = object.str();
    // the added part keeps its last line end: the delimiter gets its own
    EXPECT_EQ(written, head + "--b\r\nX: 1\r\n\r\none\r\n--b\r\nX: 2\r\n\r\ntwo\r\n\r\n--b--\r\n");
    Object again(written.data(), written.size());
    EXPECT_EQ(again.body.parts().size(), 2u);
    // a body that lacked its closing delimiter gets one once it is edited;
    // a repair keeps the parts as they stood, the last one's line end too
    std::string cut = head + "--b\r\nX: 1\r\n\r\none\r\n";
    Object edited(cut.data(), cut.size());
    edited.body.append(Object(extra.data(), extra.size()));
    EXPECT_EQ(edited.str(), written);
    std::string eight = head + "--b\r\nContent-Transfer-Encoding: 8bit\r\n\r\ncaf\xc3\xa9\r\n";
    Object repaired(eight.data(), eight.size());
    EXPECT_TRUE(repaired.fix(Capabilities::standard()));
    EXPECT_EQ(repaired.str(),
              head + "--b\r\nContent-Transfer-Encoding: quoted-printable\r\n\r\ncaf=C3=A9\r\n");
    // parts are shared between copies; a copy's own edits stay its own
    Object copy(object);
    copy.body.prepend(Object(extra.data(), extra.size()));
    EXPECT_EQ(copy.body.parts().size(), 3u);
    EXPECT_EQ(object.body.parts().size(), 2u);
    EXPECT_EQ(copy.body.parts()[1].get(), object.body.parts()[0].get());
}

TEST(BodyTest, PreambleAndEpilogueSetters) {
    std::string input = head + "--b\r\nX: 1\r\n\r\none\r\n--b--\r\n";
    Object object(input.data(), input.size());
    object.body.preamble("new preamble").epilogue("new epilogue\n");
    EXPECT_EQ(object.str(), head + "new preamble\r\n--b\r\nX: 1\r\n\r\none\r\n--b--\r\nnew epilogue\r\n");
    object.body.preamble(nullptr).epilogue(nullptr);
    EXPECT_EQ(object.body.preamble().size(), 0u);
    EXPECT_EQ(&object.body.epilogue(), &empty_epilogue());
    EXPECT_EQ(object.str(), head + "--b\r\nX: 1\r\n\r\none\r\n--b--\r\n");
}

TEST(BodyTest, NestedMultipart) {
    std::string inner =
        "Content-Type: multipart/alternative; boundary=i\r\n\r\n--i\r\nA: 1\r\n\r\na\r\n--i--\r\n";
    std::string input = head + "--b\r\n" + inner + "--b\r\nB: 2\r\n\r\nb\r\n--b--\r\n";
    Object object(input.data(), input.size());
    ASSERT_EQ(object.body.parts().size(), 2u);
    const Object& nested = *object.body.parts()[0];
    ASSERT_EQ(nested.body.parts().size(), 1u);
    EXPECT_EQ(text(nested.body.parts()[0]->body), "a\r\n");
    EXPECT_EQ(object.str(), input);
}

TEST(BodyTest, NestingDepthIsCapped) {
    std::string input;
    std::string closing;
    for (int level = 0; level < 200; ++level) {
        std::string b = "l" + std::to_string(level);
        input += "Content-Type: multipart/mixed; boundary=" + b + "\r\n\r\n--" + b + "\r\n";
        closing = "--" + b + "--\r\n" + closing;
    }
    input += "X: deepest\r\n\r\ntext\r\n" + closing;
    Object object(input.data(), input.size());
    const Object* level = &object;
    size_t depth = 0;
    while (!level->body.parts().empty()) {
        level = level->body.parts()[0].get();
        ++depth;
    }
    EXPECT_EQ(depth, Body::maxDepth);
    EXPECT_TRUE(level->body.unparsed());
    EXPECT_TRUE(level->body.preamble().empty());
    EXPECT_TRUE(object.str() == input);
}

TEST(BodyTest, WriterLetsExceptionsThrough) {
    std::string input = head + "--b\r\nX: 1\r\n\r\none\r\n--b--\r\n";
    Object object(input.data(), input.size());
    Failing sink(head.size() + 8);
    EXPECT_THROW(object.encode(Capabilities::utf8(), &sink, true), std::runtime_error);
}

TEST(BodyTest, StateQueries) {
    std::string input = head + "--b\r\nContent-Transfer-Encoding: base64\r\n\r\n\xff\xfe\r\n--b--\r\n";
    Object object(input.data(), input.size());
    EXPECT_FALSE(object.body.eightbit());
    EXPECT_TRUE(object.body.parts()[0]->body.valid());
    // copied as it stands, the part would carry its raw 8-bit bytes
    EXPECT_FALSE(object.encodable(Capabilities::standard()));
    std::string eight = "Content-Transfer-Encoding: 8bit\r\n\r\ncaf\xc3\xa9\r\n";
    Object single(eight.data(), eight.size());
    EXPECT_TRUE(single.body.eightbit());
    EXPECT_FALSE(single.encodable(Capabilities::standard()));
    EXPECT_TRUE(single.encodable(Capabilities::utf8()));
    std::string raw = head + "caf\xc3\xa9\r\n--b\r\nX: 1\r\n\r\n1\r\n--b--\r\n";
    Object multi(raw.data(), raw.size());
    EXPECT_TRUE(multi.body.eightbit());
    EXPECT_FALSE(multi.encodable(Capabilities::standard()));
    std::string nob = "Content-Type: multipart/mixed\r\n\r\n--b\r\n";
    Object unbounded(nob.data(), nob.size());
    EXPECT_TRUE(unbounded.body.valid());
    object.body.clear();
    EXPECT_TRUE(object.body.empty());
    EXPECT_EQ(object.body.encoding().encoding(), ContentTransferEncoding::sevenbit);
}

TEST(BodyTest, DecodeUndoesTheTransferEncoding) {
    std::string input = "Content-Transfer-Encoding: base64\r\n\r\naGVsbG8g\r\nd29ybGQ=\r\n";
    Object object(input.data(), input.size());
    std::string decoded;
    Orvanta::Filter::String sink(&decoded);
    object.body.decode(&sink);
    EXPECT_EQ(decoded, "hello world");
    std::string qp = "Content-Transfer-Encoding: quoted-printable\r\n\r\ncaf=C3=A9 =\r\nau lait";
    Object coffee(qp.data(), qp.size());
    std::string out;
    Orvanta::Filter::String into(&out);
    coffee.body.decode(&into);
    EXPECT_EQ(out, "caf\xc3\xa9 au lait");
}

TEST(BodyTest, UnpaddedBase64BodyDecodesWhole) {
    // the last group of a base64 body without its padding still holds bytes
    const std::pair<const char*, const char*> cases[] = {
        {"YWJjZA\r\n", "abcd"}, {"YWJj\r\nZGU", "abcde"}, {"YWJjZA==", "abcd"}};
    for (const auto& [encoded, bytes] : cases) {
        std::string input = std::string("Content-Transfer-Encoding: base64\r\n\r\n") + encoded;
        Object object(input.data(), input.size());
        std::string decoded;
        Orvanta::Filter::String sink(&decoded);
        object.body.decode(&sink);
        EXPECT_EQ(decoded, bytes) << encoded;
    }
}

TEST(BodyTest, AnEmptyPartCostsItsObjectOnly) {
#ifdef __SANITIZE_ADDRESS__
    GTEST_SKIP() << "the sanitizer's own memory hides what the parse takes";
#endif
    // a leaf part holds no part list of its own
    std::string message = head;
    for (int i = 0; i < 200000; ++i)
        message += "--b\n\n";
    size_t parts = 0;
    size_t peak = Orvanta::Test::peakGrowth([&] {
        Object object(message.data(), message.size());
        parts = object.body.parts().size();
    });
    EXPECT_EQ(parts, 200000u);
    EXPECT_LE(peak / parts, 400u) << peak;
}
