#include "chunking.h"
#include "filter/bufferuntil.h"
#include "filter/linetracker.h"
#include "filter/wordwrap.h"
#include "recorder.h"

#include <gtest/gtest.h>

#include <sstream>

using namespace Orvanta::Filter;
using Orvanta::Filter::Test::expectCutInvariant;
using Orvanta::Filter::Test::Pieces;
using Orvanta::Filter::Test::randomText;
using Orvanta::Filter::Test::Recorder;

namespace {

std::string wrap(const std::string& text, size_t limit, BufferSize position = {}) {
    std::string out;
    String sink(&out);
    {
        WordWrap wrap(BufferSize(998, limit), position, &sink);
        wrap.process(text.data(), text.size(), false);
    }
    return out;
}

std::vector<std::string> words(const std::string& text) {
    std::istringstream in(text);
    std::vector<std::string> result;
    for (std::string word; in >> word;)
        result.push_back(word);
    return result;
}

std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> result;
    size_t at = 0;
    for (size_t end; (end = text.find("\r\n", at)) != std::string::npos; at = end + 2)
        result.push_back(text.substr(at, end - at));
    result.push_back(text.substr(at));
    return result;
}

} // namespace

TEST(BufferUntilTest, DeliversWholeWords) {
    Recorder out;
    BufferUntil until(&out, " \r\n\t");
    until.process("ab", 2, true);
    until.process("c d", 3, true);
    EXPECT_EQ(out.pieces(), Pieces{"abc"});
    EXPECT_FALSE(out.pushes[0].persistent);
    EXPECT_EQ(until.wordSize(), BufferSize(1, 1));
    EXPECT_EQ(until.flush(), 1u);
    EXPECT_EQ(out.pieces(), (Pieces{"abc", "d"}));
    EXPECT_EQ(out.flushes, 1);
    EXPECT_EQ(until.wordSize(), BufferSize(0, 0));
}

TEST(BufferUntilTest, EmptyWordsAndSlicesOfTheInput) {
    static const char text[] = "a  b";
    Recorder out;
    {
        BufferUntil until(&out, " ");
        until.process(text, 4, true);
        EXPECT_EQ(out.pieces(), (Pieces{"a", ""}));
        EXPECT_EQ(out.pushes[0].data, text);
        EXPECT_TRUE(out.pushes[0].persistent);
        until.process(std::string("x\0y", 3));
        EXPECT_EQ(out.pieces(), (Pieces{"a", "", "bx"})) << "a zero byte delimits too";
        EXPECT_EQ(until.word(), "y");
    }
    EXPECT_EQ(out.pieces().back(), "y");
    EXPECT_EQ(out.flushes, 1) << "destruction flushes";
}

TEST(BufferUntilTest, CountsCharactersOfTheHeldWord) {
    Recorder out;
    BufferUntil until(&out, " ");
    until.process("\xc3\xa9t\xc3", 4, false);
    until.process("\xa9", 1, false);
    EXPECT_EQ(until.wordSize(), BufferSize(5, 3));
}

TEST(WordWrapTest, FoldsBeforeTheLimit) {
    std::string text;
    for (int i = 0; i < 20; ++i)
        text += (i ? " " : "") + std::string("w") + char('a' + i) + "xyz";
    std::string out = wrap(text, 78, BufferSize(9, 9));
    std::vector<std::string> result = lines(out);
    ASSERT_EQ(result.size(), 2u);
    EXPECT_EQ(result[0].size(), 65u) << "11 words after 9 characters";
    EXPECT_EQ(result[0].substr(0, 5), "waxyz");
    EXPECT_EQ(result[1], " wlxyz wmxyz wnxyz woxyz wpxyz wqxyz wrxyz wsxyz wtxyz");
}

TEST(WordWrapTest, RunsOfWhitespaceBecomeOneSpace) {
    EXPECT_EQ(wrap("  a \t\r\n b\n\nc  ", 78), "a b c");
    EXPECT_EQ(wrap("", 78), "");
    EXPECT_EQ(wrap(" \r\n ", 78), "");
}

TEST(WordWrapTest, LongWordsAreNeverBroken) {
    std::string word(80, 'x');
    EXPECT_EQ(wrap(word, 78, BufferSize(9, 9)), "\r\n " + word);
    EXPECT_EQ(wrap("a " + word + " b", 78), "a\r\n " + word + "\r\n b");
}

TEST(WordWrapTest, OverlongFirstWordAtLineStartLeavesNoEmptyLine) {
    std::string word(100, 'x');
    EXPECT_EQ(wrap(word, 78), word);
    EXPECT_EQ(wrap(word + " y", 78), word + "\r\n y");
    EXPECT_EQ(wrap("  " + word, 78), word);
}

TEST(WordWrapTest, CountsUtf8Characters) {
    std::string wide;
    for (int i = 0; i < 10; ++i)
        wide += "\xc3\xa9";
    std::string out;
    String sink(&out);
    WordWrap wrap(BufferSize(998, 15), BufferSize(0, 0), &sink);
    wrap.process(wide + " ");
    EXPECT_EQ(wrap.size(), BufferSize(20, 10));
    // 10 + 1 + 4 characters fit the limit of 15 although the bytes do not.
    wrap.process("abcd ", false);
    EXPECT_EQ(wrap.size(), BufferSize(25, 15));
    wrap.process("e ", false);
    EXPECT_EQ(out, wide + " abcd\r\n e");
}

TEST(WordWrapTest, SizeAccountsForTheHeldWord) {
    std::string out;
    String sink(&out);
    WordWrap at70(BufferSize(998, 78), BufferSize(70, 70), &sink);
    EXPECT_EQ(at70.size(), BufferSize(70, 70));
    at70.process("abcd", false);
    EXPECT_EQ(at70.size(), BufferSize(75, 75));

    WordWrap at74(BufferSize(998, 78), BufferSize(74, 74), &sink);
    at74.process("abcd", false);
    EXPECT_EQ(at74.size(), BufferSize(5, 5));
}

TEST(WordWrapTest, AnyCutGivesTheSameFolding) {
    std::mt19937 rng(9);
    auto make = [](Result* next) {
        return std::make_unique<WordWrap>(BufferSize(998, 12), BufferSize(3, 3), next);
    };
    for (int i = 0; i < 40; ++i) {
        std::string text = randomText(rng, "abcdefg   \t\r\n", 60);
        std::string out = expectCutInvariant(make, text, rng);
        // The folds only stand between the same words, and lines stay within
        // the limit unless a single word is too long for it.
        std::string unfolded = out;
        for (size_t at; (at = unfolded.find("\r\n ")) != std::string::npos;)
            unfolded.replace(at, 3, " ");
        EXPECT_EQ(words(unfolded), words(text));
        std::vector<std::string> folded = lines(out);
        for (size_t n = 0; n < folded.size(); ++n) {
            size_t width = folded[n].size() + (n == 0 ? 3 : 0);
            if (words(folded[n]).size() > 1) {
                EXPECT_LE(width, 12u) << out;
            }
            EXPECT_FALSE(words(folded[n]).empty() && n > 0) << "empty folded line in " << out;
        }
    }
}

TEST(LineTrackerTest, CountsTheCurrentLine) {
    Recorder out;
    LineTracker tracker(&out);
    EXPECT_EQ(tracker.size(), BufferSize(0, 0));
    tracker.process("Subject: ", 9, true);
    EXPECT_EQ(tracker.size(), BufferSize(9, 9));
    tracker.process("\r\n", 2, true);
    EXPECT_EQ(tracker.size(), BufferSize(1, 1));
    tracker.process(std::string(1, '\0'));
    EXPECT_EQ(tracker.size(), BufferSize(1, 1));
    tracker.process("\xc3\xa9t\xc3\xa9", 5, false);
    EXPECT_EQ(tracker.size(), BufferSize(6, 4));
    EXPECT_EQ(out.bytes, std::string("Subject: \r\n\0\xc3\xa9t\xc3\xa9", 17));
    EXPECT_TRUE(out.pushes[0].persistent);
}
