#include "chunking.h"
#include "filter/append.h"
#include "filter/escape.h"
#include "filter/forceend.h"
#include "filter/merge.h"
#include "filter/newlineconverter.h"
#include "filter/replace.h"
#include "filter/rtrim.h"
#include "filter/split.h"
#include "filter/strip.h"
#include "recorder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>

using namespace Orvanta::Filter;
using Orvanta::Filter::Test::expectCutInvariant;
using Orvanta::Filter::Test::Factory;
using Orvanta::Filter::Test::Pieces;
using Orvanta::Filter::Test::randomText;
using Orvanta::Filter::Test::Recorder;
using Orvanta::Filter::Test::run;

namespace {

template <typename T, typename... Args>
Factory factory(Args... args) {
    return [=](Result* next) { return std::make_unique<T>(next, args...); };
}

// Straightforward whole-string versions of the filters, to compare with.
std::string newlines(const std::string& in, const std::string& newline, int mode) {
    std::string out;
    for (size_t i = 0; i < in.size(); ++i) {
        if (in[i] == '\r' && i + 1 < in.size() && in[i + 1] == '\n') {
            out += mode == 0 ? "\r\n" : newline;
            ++i;
        } else if (in[i] == '\r') {
            out += newline;
        } else if (in[i] == '\n') {
            out += mode == 1 ? "\n" : newline;
        } else {
            out += in[i];
        }
    }
    return out;
}

std::string replaced(const std::string& in, const std::string& needle, const std::string& replacement) {
    std::string out;
    size_t at = 0;
    for (size_t found; (found = in.find(needle, at)) != std::string::npos; at = found + needle.size())
        out += in.substr(at, found - at) + replacement;
    return out + in.substr(at);
}

// `whole`: only the whole end text counts as there
std::string forcedEnd(const std::string& in, const std::string& end, bool whole) {
    if (whole)
        return in.size() >= end.size() && in.compare(in.size() - end.size(), end.size(), end) == 0 ? in
                                                                                                   : in + end;
    for (size_t k = std::min(end.size(), in.size()); k > 0; --k)
        if (in.compare(in.size() - k, k, end, 0, k) == 0) return in + end.substr(k);
    return in + end;
}

} // namespace

TEST(NewlineConverterTest, RewritesByMode) {
    EXPECT_EQ(run(factory<NewlineConverter>("\r\n", 0), {"a\nb\rc\r\nd"}), "a\r\nb\r\nc\r\nd");
    EXPECT_EQ(run(factory<NewlineConverter>("\r\n", 0), {"a\r", "\nb"}), "a\r\nb");
    EXPECT_EQ(run(factory<NewlineConverter>("\n", 1), {"a\r\nb\rc\nd"}), "a\nb\nc\nd");
    EXPECT_EQ(run(factory<NewlineConverter>("<>", 2), {"\r\n\n\r\r\n"}), "<><><><>");

    Recorder out;
    NewlineConverter converter(&out, "\r\n", 0);
    EXPECT_EQ(converter.process("ab\ncd", 5, false), 6u);
    ASSERT_EQ(out.pushes.size(), 3u);
    EXPECT_FALSE(out.pushes[0].persistent);
    EXPECT_TRUE(out.pushes[1].persistent);
    EXPECT_EQ(converter.process("", 0, false), 0u);
}

TEST(NewlineConverterTest, FlushForgetsAPendingCr) {
    std::string out;
    String sink(&out);
    NewlineConverter converter(&sink, "\r\n", 2);
    converter.process("a\r", 2, false);
    converter.flush();
    converter.process("\nb", 2, false);
    EXPECT_EQ(out, "a\r\n\r\nb");
}

TEST(NewlineConverterTest, AnyCutMatchesTheWholeStringRewrite) {
    std::mt19937 rng(1);
    const std::pair<const char*, int> configs[] = {
        {"\r\n", 0}, {"\n", 1}, {"\r\n", 1}, {"\n", 2}, {"\r\n", 7}};
    for (auto [newline, mode] : configs) {
        for (int i = 0; i < 60; ++i) {
            std::string input = randomText(rng, "\r\n\r\nab", 20);
            EXPECT_EQ(expectCutInvariant(factory<NewlineConverter>(newline, mode), input, rng),
                      newlines(input, newline, mode))
                << "mode " << mode;
        }
    }
}

TEST(StripTest, DropsSetAndZeroBytes) {
    std::string input("a\r\n\tb \0c", 8);
    EXPECT_EQ(run(factory<Strip>("\r\n\t "), {input}), "abc");
    Recorder out;
    Strip strip(&out, " ");
    EXPECT_EQ(strip.process("   ", 3, true), 0u);
    EXPECT_TRUE(out.pushes.empty());

    std::mt19937 rng(2);
    for (int i = 0; i < 50; ++i) {
        std::string text = randomText(rng, std::string("ab \t\0", 5), 20);
        std::string expected = text;
        expected.erase(std::remove_if(expected.begin(), expected.end(),
                                      [](char c) { return c == ' ' || c == '\t' || c == '\0'; }),
                       expected.end());
        EXPECT_EQ(expectCutInvariant(factory<Strip>(" \t"), text, rng), expected);
    }
}

TEST(MergeTest, RunsBecomeOneReplacementAcrossPieces) {
    Recorder out;
    {
        Merge merge(&out, " \t", " ");
        merge.process("a ", 2, true);
        merge.process(" \tb", 3, true);
    }
    EXPECT_EQ(out.pieces(), (Pieces{"a", " ", "", "b"}));
    EXPECT_FALSE(out.pushes[1].persistent);

    std::mt19937 rng(3);
    for (int i = 0; i < 50; ++i) {
        std::string text = randomText(rng, "ab \t", 20);
        std::string expected;
        for (size_t j = 0; j < text.size(); ++j) {
            bool blank = text[j] == ' ' || text[j] == '\t';
            if (!blank)
                expected += text[j];
            else if (j == 0 || (text[j - 1] != ' ' && text[j - 1] != '\t'))
                expected += "_";
        }
        EXPECT_EQ(expectCutInvariant(factory<Merge>(std::string(" \t"), std::string("_")), text, rng),
                  expected);
    }
}

TEST(RtrimTest, HoldsTrailingRunsAndDropsThemAtTheEnd) {
    Recorder out;
    {
        Rtrim rtrim(&out, " \t");
        rtrim.process("a  ", 3, true);
        rtrim.process("b", 1, true);
        rtrim.process("c  ", 3, true);
    }
    EXPECT_EQ(out.pieces(), (Pieces{"", "a", "  ", "b", "", "c"}));
    EXPECT_FALSE(out.pushes[2].persistent);
    EXPECT_TRUE(out.pushes[3].persistent);

    std::mt19937 rng(4);
    for (int i = 0; i < 50; ++i) {
        std::string text = randomText(rng, "ab \t", 20);
        std::string expected = text.substr(0, text.find_last_not_of(" \t") + 1);
        if (text.find_last_not_of(" \t") == std::string::npos) expected.clear();
        EXPECT_EQ(expectCutInvariant(factory<Rtrim>(std::string(" \t")), text, rng), expected);
    }
}

TEST(RtrimTest, FlushKeepsWhitespaceThatTurnsOutInterior) {
    std::string out;
    String sink(&out);
    {
        Rtrim rtrim(&sink, " ");
        rtrim.process("a  ", 3, false);
        rtrim.flush();
        rtrim.process("b ", 2, false);
    }
    EXPECT_EQ(out, "a  b");
}

TEST(EscapeTest, EscapesSetAndZeroBytes) {
    EXPECT_EQ(run(factory<Escape>("\\\"", '\\'), {"say \"a\\b\""}), "say \\\"a\\\\b\\\"");
    EXPECT_EQ(run(factory<Escape>("\"", '\\'), {std::string("x\0y", 3)}), std::string("x\\\0y", 4));
    std::mt19937 rng(5);
    for (int i = 0; i < 30; ++i) {
        std::string text = randomText(rng, "ab\\\"", 16);
        std::string expected;
        for (char c : text) {
            if (c == '\\' || c == '"') expected += '\\';
            expected += c;
        }
        EXPECT_EQ(expectCutInvariant(factory<Escape>("\\\"", '\\'), text, rng), expected);
    }
}

TEST(ReplaceTest, ReplacesEveryOccurrence) {
    EXPECT_EQ(run(factory<Replace>(" ", "=20"), {"a b  c"}), "a=20b=20=20c");
    EXPECT_EQ(run(factory<Replace>("ab", "X"), {"a", "b", "a", "ab"}), "XaX");
}

TEST(ReplaceTest, RetriesTheByteWhereAPartialMatchFailed) {
    EXPECT_EQ(run(factory<Replace>("ab", "X"), {"aab"}), "aX");
    EXPECT_EQ(run(factory<Replace>("ab", "X"), {"a", "a", "b"}), "aX");
    // An occurrence may start inside the failed partial match, not only at
    // the byte that failed it.
    EXPECT_EQ(run(factory<Replace>("aab", "X"), {"aaab"}), "aX");
    EXPECT_EQ(run(factory<Replace>("abac", "X"), {"ababac"}), "abX");
}

TEST(ReplaceTest, FailedPartialMatchFromEarlierPieceComesFirst) {
    Recorder out;
    {
        Replace replace(&out, "abc", "X");
        EXPECT_EQ(replace.process("xab", 3, true), 1u);
        EXPECT_EQ(replace.process("d", 1, true), 3u);
        replace.process("ab", 2, true);
    }
    EXPECT_EQ(out.pieces(), (Pieces{"x", "ab", "d", "ab"}));
    EXPECT_FALSE(out.pushes[1].persistent);
    EXPECT_TRUE(out.pushes[2].persistent);
    EXPECT_FALSE(out.pushes[3].persistent) << "held partial match written at destruction";
}

TEST(ReplaceTest, AnyCutMatchesFindAndReplace) {
    std::mt19937 rng(6);
    for (const char* needle : {"a", "ab", "aab", "aba", "abab", "aaa", "baab"}) {
        for (int i = 0; i < 40; ++i) {
            std::string text = randomText(rng, "ab", 18);
            EXPECT_EQ(expectCutInvariant(factory<Replace>(needle, "<>"), text, rng),
                      replaced(text, needle, "<>"))
                << needle;
        }
    }
}

TEST(AppendTest, AddsTheSuffixAtDestruction) {
    Recorder out;
    {
        Append append(&out, "--end");
        append.process("body", 4, false);
        EXPECT_EQ(out.bytes, "body");
    }
    EXPECT_EQ(out.bytes, "body--end");
    EXPECT_TRUE(out.pushes.back().persistent);
}

TEST(SplitTest, SeparatorBetweenFullLinesOnly) {
    Recorder out;
    Split split(&out, 76, "\r\n");
    std::string input(152, 'x');
    EXPECT_EQ(split.process(input.data(), input.size(), true), 154u);
    EXPECT_EQ(out.pieces(), (Pieces{std::string(76, 'x'), "\r\n", std::string(76, 'x')}));
    split.process("y", 1, true);
    EXPECT_EQ(out.pieces().at(3), "\r\n");
    EXPECT_EQ(out.pieces().at(4), "y");
    EXPECT_EQ(split.process("", 0, true), 0u);

    std::mt19937 rng(7);
    for (size_t width : {1, 3, 5}) {
        for (int i = 0; i < 20; ++i) {
            std::string text = randomText(rng, "abc", 20);
            std::string expected;
            for (size_t j = 0; j < text.size(); ++j) {
                if (j > 0 && j % width == 0) expected += "|";
                expected += text[j];
            }
            EXPECT_EQ(expectCutInvariant(factory<Split>(width, std::string("|")), text, rng), expected);
        }
    }
}

TEST(SplitTest, WidthZeroIsRefused) {
    Recorder out;
    EXPECT_THROW(Split(&out, 0, "\r\n"), std::runtime_error);
}

TEST(ForceEndTest, OutputEndsWithTheEndText) {
    EXPECT_EQ(run(factory<ForceEnd>("\r\n"), {"x\r"}), "x\r\n");
    EXPECT_EQ(run(factory<ForceEnd>("\r\n"), {"x\r\n"}), "x\r\n");
    EXPECT_EQ(run(factory<ForceEnd>("\r\n"), {"x"}), "x\r\n");
    EXPECT_EQ(run(factory<ForceEnd>("\r\n"), {}), "\r\n");
    EXPECT_EQ(run(factory<ForceEnd>("\r\n"), {"x\r", "", ""}), "x\r\n");
    EXPECT_EQ(run(factory<ForceEnd>("\r\n"), {"\r\n", "\r"}), "\r\n\r\n");
    // where every byte is content, a last CR is one of them
    EXPECT_EQ(run(factory<ForceEnd>("\r\n", true), {"x\r"}), "x\r\r\n");
    EXPECT_EQ(run(factory<ForceEnd>("\r\n", true), {"x\r", "\n"}), "x\r\n");

    std::mt19937 rng(8);
    for (bool whole : {false, true}) {
        for (const char* end : {"\r\n", "aab", "abab"}) {
            for (int i = 0; i < 40; ++i) {
                std::string text = randomText(rng, "ab\r\n", 12);
                EXPECT_EQ(expectCutInvariant(factory<ForceEnd>(end, whole), text, rng),
                          forcedEnd(text, end, whole))
                    << end;
            }
        }
    }
}
