#include "mime/grammar/delimdetector.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using Orvanta::Mime::DelimDetector;

namespace {

// elements are runs of letters; returns what the callback saw and the count
struct Walk {
    std::vector<std::string> elements;
    size_t consumed = 0;
};

Walk walk(const std::string& text, char delimiter = ',') {
    Walk result;
    DelimDetector detector(delimiter, [&](const char* data, size_t size) {
        size_t n = 0;
        while (n < size && data[n] >= 'a' && data[n] <= 'z')
            ++n;
        if (n) result.elements.emplace_back(data, n);
        return n;
    });
    result.consumed = detector.parse(text.data(), text.size());
    EXPECT_EQ(detector.consumed(), result.consumed);
    return result;
}

} // namespace

TEST(DelimDetectorTest, EmptyElementsAndBlanks) {
    auto w = walk(" a ,, b,\tc , ");
    EXPECT_EQ(w.elements, (std::vector<std::string>{"a", "b", "c"}));
    EXPECT_EQ(w.consumed, 13u);
}

TEST(DelimDetectorTest, StopsAtAdjacentElementOrRefusal) {
    auto adjacent = walk("a b,c");
    EXPECT_EQ(adjacent.elements, (std::vector<std::string>{"a"}));
    EXPECT_EQ(adjacent.consumed, 2u); // the blank after a, not b
    auto refused = walk("a,B,c");
    EXPECT_EQ(refused.elements, (std::vector<std::string>{"a"}));
    EXPECT_EQ(refused.consumed, 2u);
    EXPECT_EQ(walk("").consumed, 0u);
}

TEST(DelimDetectorTest, WhiteSpaceDelimiterAndAccumulation) {
    auto w = walk("a\tb\tc", '\t');
    EXPECT_EQ(w.elements.size(), 3u);
    DelimDetector detector(',', [](const char*, size_t) { return size_t(1); });
    detector.parse("x,", 2);
    detector.parse("y", 1);
    EXPECT_EQ(detector.consumed(), 3u);
}
