#include "mime/message/emptyline.h"
#include "mime/message/line.h"
#include "mime/message/parseerror.h"
#include "mime/tests/exact.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

using namespace Orvanta::Mime;
using Orvanta::Mime::Test::Exact;

namespace {

std::string text(const String& view) {
    return std::string(view.data(), view.size());
}

} // namespace

TEST(LineTest, SplitsNameAndValue) {
    Exact input("Subject: hi\r\nnext");
    Line line(input.data(), input.size());
    EXPECT_EQ(text(line.key), "Subject");
    EXPECT_EQ(line.key.consumed(), 9u);
    EXPECT_EQ(text(line.value), "hi");
    EXPECT_EQ(line.value.consumed(), 4u);
    EXPECT_EQ(line.size(), 13u);
    EXPECT_EQ(line.value.key(), &line.key);
    // blanks before the colon (obsolete syntax) are not part of the name,
    // and the line's bytes stay as they were read
    Exact spaced("Subject \t: hi\r\nnext");
    Line obsolete(spaced.data(), spaced.size());
    EXPECT_EQ(text(obsolete.key), "Subject");
    EXPECT_EQ(text(obsolete.value), "hi");
    EXPECT_EQ(text(obsolete), "Subject \t: hi\r\n");
    // written anew for a 7-bit transport, the name keeps its bytes too
    Exact eightbit("Subject \t: caf\xc3\xa9\r\n");
    EXPECT_EQ(Line(eightbit.data(), eightbit.size()).str(false), "Subject \t: =?utf-8?q?caf=C3=A9?=\r\n");
}

TEST(LineTest, ValueDropsOuterBlanksAndKeepsInnerOnes) {
    Exact input("X:  a \t b  \r\n");
    Line line(input.data(), input.size());
    EXPECT_EQ(text(line.value), "a \t b");
    EXPECT_EQ(line.size(), input.size());
}

TEST(LineTest, FoldedLinesStayInsideTheValue) {
    Exact input("To: a,\r\n b\r\nCc: c\r\n");
    Line line(input.data(), input.size());
    EXPECT_EQ(text(line.value), "a,\r\n b");
    EXPECT_EQ(line.size(), 12u);
    Line next(input.data() + line.size(), input.size() - line.size());
    EXPECT_EQ(text(next.key), "Cc");
}

TEST(LineTest, TextWithoutLineEndIsOneLine) {
    Exact input("Subject: hi");
    Line line(input.data(), input.size());
    EXPECT_EQ(text(line.value), "hi");
    EXPECT_EQ(line.size(), input.size());
    Exact bare("X:");
    Line empty(bare.data(), bare.size());
    EXPECT_EQ(line.value.size(), 2u);
    EXPECT_EQ(empty.value.size(), 0u);
    EXPECT_EQ(empty.size(), 2u);
}

TEST(LineTest, EmptyNameBeforeColon) {
    Exact input(": value\n");
    Line line(input.data(), input.size());
    EXPECT_EQ(line.key.size(), 0u);
    EXPECT_EQ(text(line.value), "value");
}

// The constructor throws what the scan reports without throwing.
TEST(LineTest, EmptyLinesAndBadLinesThrowOrScan) {
    struct Case {
        std::string input;
        size_t empty; // length of the empty line, or npos for a parse error
        size_t skip;
        const char* message;
    };
    const size_t no = std::string::npos;
    std::vector<Case> cases = {
        {"", 0, 0, nullptr},
        {"\nbody", 1, 0, nullptr},
        {"\r\nbody", 2, 0, nullptr},
        {"From a@b Mon Jan 1\r\nX: y\r\n", no, 20, "Missing colon"},
        {"Bad Name: x\nX: y\n", no, 12, "Missing colon"},
        {"Bad Name : x\nX: y\n", no, 13, "Missing colon"},
        {" X: y\n", no, 6, "Missing colon"},
        {"no colon at all", no, 15, "Key cannot be retrieved (no colon)"},
        {"\r", no, 1, "Key cannot be retrieved (no colon)"},
        {"\rX: y\n", no, 6, "Missing colon"},
    };
    for (const Case& c : cases) {
        Exact input(c.input);
        try {
            Line line(input.data(), input.size());
            ADD_FAILURE() << "no exception for " << c.input;
        } catch (const EmptyLine& line) {
            EXPECT_EQ(line.size(), c.empty) << c.input;
            EXPECT_EQ(line.data(), input.data());
        } catch (const ParseError& error) {
            ASSERT_EQ(c.empty, no) << c.input;
            EXPECT_EQ(error.length(), c.skip) << c.input;
            EXPECT_STREQ(error.what(), c.message);
        }
        Line::ExtKey::Scan found = Line::ExtKey::scan(input.data(), input.size());
        using Scan = Line::ExtKey::Scan;
        EXPECT_EQ(found.kind, c.empty == no ? Scan::malformed : Scan::empty) << c.input;
        EXPECT_EQ(found.length, c.empty == no ? c.skip : c.empty) << c.input;
        EXPECT_STREQ(found.message, c.message) << c.input;
    }
}

TEST(LineTest, ValueKeepsPointingAtItsOwnKey) {
    std::vector<std::string> texts = {"C: 3\r\n", "A: 1\r\n", "B: 2\r\n"};
    std::vector<Line> lines;
    for (const auto& t : texts)
        lines.emplace_back(t.c_str());
    for (int round = 0; round < 20; ++round)
        lines.emplace_back(texts[0].c_str()); // growth moves them
    std::sort(lines.begin(), lines.end(),
              [](const Line& a, const Line& b) { return text(a.key) < text(b.key); });
    for (const Line& line : lines)
        EXPECT_EQ(line.value.key(), &line.key);
    Line copy = lines[0];
    EXPECT_EQ(copy.value.key(), &copy.key);
    Line moved = std::move(copy);
    EXPECT_EQ(moved.value.key(), &moved.key);
    copy = lines[1];
    EXPECT_EQ(copy.value.key(), &copy.key);
    EXPECT_EQ(text(copy.key), "B");
}

TEST(LineTest, SetRereadsAndKeepsTheLineOnFailure) {
    Line line("Subject: old\r\n");
    line.set("X-New: fresh\r\n");
    EXPECT_EQ(text(line.key), "X-New");
    EXPECT_EQ(text(line.value), "fresh");
    EXPECT_EQ(line.size(), 14u);
    EXPECT_THROW(line.set("not a field\n"), ParseError);
    EXPECT_THROW(line.set(""), EmptyLine);
    EXPECT_EQ(text(line.key), "X-New");
    EXPECT_EQ(line.value.key(), &line.key);
}

TEST(LineTest, ValidityFollowsTheTypedParser) {
    EXPECT_TRUE(Line("Content-Transfer-Encoding: base64\r\n").valid());
    EXPECT_FALSE(Line("Content-Transfer-Encoding: uuencode\r\n").valid());
    EXPECT_TRUE(Line("Content-ID: <a@b>\r\n").valid());
    EXPECT_FALSE(Line("Content-ID: a@b\r\n").valid());
    EXPECT_TRUE(Line("Content-Type: text/plain; charset=us-ascii\r\n").valid());
    EXPECT_FALSE(Line("Content-Type: multipart/mixed\r\n").valid());
    EXPECT_TRUE(Line("X-Anything: (((\r\n").valid());
    EXPECT_TRUE(Line("To: a@example.org, \"B\" <b@example.org>\r\n").valid());
    EXPECT_FALSE(Line("To: a@example.org,, @\r\n").valid());
    EXPECT_TRUE(Line("From: a@example.org\r\n").valid());
    EXPECT_FALSE(Line("Sender: a@example.org, b@example.org\r\n").valid());
    EXPECT_FALSE(Line("DKIM-Signature: garbage\r\n").valid());
    EXPECT_TRUE(
        Line("DKIM-Signature: v=1; a=rsa-sha256; d=example.com; s=s1; h=from; bh=AA==; b=AA==\r\n").valid());
}
