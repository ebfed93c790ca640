#include "mime/message/fatalerror.h"
#include "mime/message/object.h"
#include "mime/tests/exact.h"

#include <gtest/gtest.h>

#include <string>
#include <type_traits>
#include <vector>

using namespace Orvanta::Mime;
using Orvanta::Mime::Test::Exact;

namespace {

std::string text(const String& view) {
    return std::string(view.data(), view.size());
}

} // namespace

TEST(ObjectTest, HeaderAndBody) {
    Exact input("Subject: hi\r\n\r\nbody");
    Object object(input.data(), input.size());
    ASSERT_EQ(object.header.size(), 1u);
    EXPECT_EQ(object.header[0].size(), 13u);
    EXPECT_EQ(object.header.bytes(), 15u);
    EXPECT_EQ(text(object.body), "body");
    EXPECT_EQ(object.body.data(), input.data() + 15);
    EXPECT_TRUE(object.boundary.empty());
}

TEST(ObjectTest, BlockEndsAtTheEndOfTheText) {
    Exact input("Subject: hi");
    Object object(input.data(), input.size());
    EXPECT_EQ(object.header.size(), 1u);
    EXPECT_EQ(object.header.bytes(), input.size());
    EXPECT_EQ(object.body.size(), 0u);
}

TEST(ObjectTest, LoneLineFeedEndsTheBlock) {
    Exact input("A: 1\n\nbody\n");
    Object object(input.data(), input.size());
    EXPECT_EQ(object.header.bytes(), 6u);
    EXPECT_EQ(text(object.body), "body\n");
    // no CR LF empty line to copy: the writer makes its own
    std::string out = object.header.str();
    EXPECT_EQ(out, "A: 1\r\n\r\n");
}

TEST(ObjectTest, BadLinesAreSkippedAndCounted) {
    Exact input("From someone@example.org Mon Jan  1 00:00:00 2024\nBad name: x\nTo: a@b\n\nbody");
    Object object(input.data(), input.size());
    ASSERT_EQ(object.header.size(), 1u);
    EXPECT_EQ(text(object.header[0].key), "To");
    EXPECT_EQ(text(object.body), "body");
    // a bad line at the end swallows the rest of the text
    Exact tail("To: a@b\nno colon here");
    Object rest(tail.data(), tail.size());
    EXPECT_EQ(rest.header.size(), 1u);
    EXPECT_EQ(rest.header.bytes(), tail.size());
}

// Lines that are not fields are skipped by the parse but written back where
// they stood; a block that ran to the end of its text gains no empty line.
TEST(ObjectTest, LinesThatAreNotFieldsAreWrittenWhereTheyStood) {
    const std::string parts = "Content-Type: multipart/mixed; boundary=b\r\n\r\n";
    const std::string cases[] = {
        "From someone@example.org Mon Jan  1 00:00:00 2024\r\nTo: a@b\r\n\r\nbody\r\n",
        "To: a@b\r\nSubject: x\r\nno separating empty line here\r\n",
        "Send submissions to\r\n\tlist@example.org\r\n\r\nbody\r\n",
        // a part's text right after its header, and a header right before
        // the next delimiter
        parts + "--b\r\nContent-Type: text/plain\r\nsome text\r\n\r\n--b\r\nX: 1\r\n--b--\r\n",
    };
    for (const std::string& input : cases) {
        Object object(input.data(), input.size());
        EXPECT_EQ(object.str(), input);
    }
    // edits leave them in place: the mbox line stays first, a line that stood
    // after a removed field follows the field before that
    std::string mbox = "From someone@example.org Mon Jan  1 00:00:00 2024\r\nTo: a@b\r\nCc: c@d\r\n"
                       "stray\r\nSubject: x\r\n\r\nbody\r\n";
    Object edited(mbox.data(), mbox.size());
    edited.header.prepend("X-First", "1");
    edited.header.remove("cc");
    EXPECT_EQ(edited.str(), "From someone@example.org Mon Jan  1 00:00:00 2024\r\nX-First: 1\r\nTo: a@b\r\n"
                            "stray\r\nSubject: x\r\n\r\nbody\r\n");
}

TEST(ObjectTest, EmptyInputIsFatal) {
    try {
        Object object("", 0);
        FAIL();
    } catch (const FatalError& error) {
        EXPECT_STREQ(error.what(), "Empty header");
    }
    EXPECT_THROW(Object::ExtHeader(static_cast<const char*>(nullptr)), FatalError);
    Exact crlf("\r\n");
    Object object(crlf.data(), crlf.size());
    EXPECT_EQ(object.header.size(), 0u);
    EXPECT_EQ(object.header.bytes(), 2u);
    EXPECT_EQ(object.body.size(), 0u);
}

TEST(ObjectTest, CopiesStayValidAfterTheOriginalGoes) {
    std::string input = "Subject: hi\r\nTo: a@b\r\n\r\nbody\r\n";
    auto original = std::make_unique<Object>(input.data(), input.size());
    original->header.set("X-Added", "composed");
    Object copy(*original);
    original.reset();
    EXPECT_EQ(text(copy.header.get("x-added")), "composed");
    EXPECT_EQ(copy.header.bytes(), 24u);
    EXPECT_EQ(copy.body.owner(), &copy.header);
    for (const Line& line : copy.header.lines())
        EXPECT_EQ(line.value.key(), &line.key);
    Object moved(std::move(copy));
    EXPECT_EQ(moved.body.owner(), &moved.header);
    EXPECT_EQ(text(moved.body), "body\r\n");
}

TEST(ObjectTest, ClearEmptiesEverything) {
    std::string input = "Subject: hi\r\n\r\nbody\r\n";
    Object object(input.data(), input.size());
    object.clear();
    EXPECT_EQ(object.header.size(), 0u);
    EXPECT_EQ(object.header.bytes(), 0u);
    EXPECT_TRUE(object.body.empty());
}

TEST(ObjectTest, ZeroTerminatedHeaderLeavesNoTerminator) {
    Object::ExtHeader header("A: 1\r\n\r\nbody");
    EXPECT_EQ(header.bytes(), 8u);
    EXPECT_EQ(header.str(), "A: 1\r\n\r\n");
}

// A vector that grows moves its messages (the move cannot throw), and each
// still writes back as it was read.
TEST(ObjectTest, MessagesInAGrowingVectorAreMovedWhole) {
    static_assert(std::is_nothrow_move_constructible_v<Object>);
    const std::string message = "Content-Type: multipart/mixed; boundary=\"b1\"\r\n\r\n"
                                "--b1\r\n\r\none\r\n--b1--\r\n";
    Object alone(message.data(), message.size());
    std::vector<Object> objects;
    for (int i = 0; i < 9; ++i)
        objects.emplace_back(message.data(), message.size());
    for (const Object& object : objects) {
        EXPECT_EQ(object.str(false), alone.str(false));
    }
}
