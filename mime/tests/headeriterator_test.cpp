#include "mime/message/header.h"
#include "mime/message/object.h"

#include <gtest/gtest.h>

#include <string>

using namespace Orvanta::Mime;

namespace {

std::string text(const String& view) {
    return std::string(view.data(), view.size());
}

} // namespace

TEST(HeaderIteratorTest, FilteredForwardWalk) {
    std::string input = "A: 1\r\nB: 2\r\na: 3\r\n\r\n";
    Object::ExtHeader header(input.data(), input.size());
    HeaderIterator it = header.find("a");
    ASSERT_TRUE(it.valid());
    EXPECT_EQ(text(it.value()), "1");
    ++it;
    EXPECT_EQ(text(it->value), "3");
    ++it;
    EXPECT_FALSE(it.valid());
    EXPECT_TRUE(it == header.end());
    EXPECT_TRUE(header.find("zzz") == header.end());
    // past the end still counts as the end
    EXPECT_TRUE(HeaderIterator(&header, 17) == header.end());
    Object::ExtHeader other(input.data(), input.size());
    EXPECT_FALSE(other.end() == header.end());
}

TEST(HeaderIteratorTest, FilteredReverseWalk) {
    std::string input = "A: 1\r\nB: 2\r\na: 3\r\n\r\n";
    Object::ExtHeader header(input.data(), input.size());
    ReverseHeaderIterator it = header.rfind("A");
    EXPECT_EQ(text(it.value()), "3");
    ++it;
    EXPECT_EQ(text(it.line().value), "1");
    ++it;
    EXPECT_TRUE(it == header.rend());
    std::string names;
    for (ReverseHeaderIterator all = header.rbegin(); all != header.rend(); ++all)
        names += text(all.key());
    EXPECT_EQ(names, "aBA");
}

TEST(HeaderIteratorTest, PositionsFollowEdits) {
    std::string input = "A: 1\r\nB: 2\r\nC: 3\r\nD: 4\r\nE: 5\r\n\r\n";
    Object::ExtHeader header(input.data(), input.size());
    ReverseHeaderIterator last = header.rbegin();
    EXPECT_EQ(text(last.key()), "E");
    header.append("F", "6");
    EXPECT_EQ(text(last.key()), "F");
}

TEST(HeaderIteratorTest, PostfixStepAndUnfilteredIterators) {
    std::string input = "A: 1\r\nB: 2\r\n\r\n";
    Object::ExtHeader header(input.data(), input.size());
    HeaderIterator end = header.end();
    HeaderIterator copy = end++;
    EXPECT_TRUE(copy == end);
    EXPECT_EQ(end.index(), 2u);
    HeaderIterator it = header.begin();
    HeaderIterator old = it++;
    EXPECT_EQ(text(old.key()), "A");
    EXPECT_EQ(text(it.key()), "B");
    // an empty filter steps onto every line
    HeaderIterator empty(&header, 0, String("", 0));
    ++empty;
    EXPECT_EQ(text(empty.key()), "B");
    EXPECT_EQ(it.str(), "B: 2\r\n");
}

TEST(HeaderIteratorTest, StepPastTheLargestPositionStopsAtZero) {
    std::string input = "A: 1\r\nB: 2\r\n\r\n";
    Object::ExtHeader header(input.data(), input.size());
    std::string name = "b";
    HeaderIterator forward(&header, static_cast<size_t>(-1), String(name.data(), name.size()));
    ++forward;
    EXPECT_EQ(forward.index(), 0u);
    ReverseHeaderIterator reverse(&header, static_cast<size_t>(-1), String(name.data(), name.size()));
    ++reverse;
    EXPECT_EQ(reverse.index(), 0u);
    // from a valid position both go on to the next line of the name
    HeaderIterator first(&header, 0, String(name.data(), name.size()));
    EXPECT_EQ(text((++first).key()), "B");
    ReverseHeaderIterator later(&header, 0, String("a", 1));
    EXPECT_EQ(text((++later).key()), "A");
}
