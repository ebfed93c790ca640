#include "filter/charset.h"
#include "filter/tests/chunked.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace {

using namespace Orvanta::Filter;
using namespace Orvanta::Filter::Testing;
using Orvanta::Test::runProcess;

Make converter(const char* from, const char* to) {
    return [from, to](Result* next) { return std::make_unique<Charset>(from, to, next); };
}

std::string iconvCommand(const std::string& from, const std::string& to, const std::string& input) {
    // The C locale, as this process has it: transliteration depends on it.
    auto result = runProcess({"iconv", "-c", "-f", from, "-t", to}, input, {"LC_ALL=C"});
    // -c reports skipped bytes through the status; the output is what counts.
    EXPECT_TRUE(result.status == 0 || result.status == 1) << result.err;
    return result.out;
}

TEST(CharsetTest, CharacterSplitAcrossPiecesWaitsForItsRest) {
    Recorder sink;
    Charset charset("UTF-8", "UTF-8", &sink);
    EXPECT_EQ(charset.process("\xc3", 1, true), 0u);
    EXPECT_TRUE(sink.pushes.empty());
    EXPECT_EQ(charset.process("\xa9", 1, true), 2u);
    EXPECT_EQ(sink.bytes, "\xc3\xa9");
    EXPECT_FALSE(sink.pushes[0].persistent);
    EXPECT_EQ(charset.process("", 0, true), 0u);
}

TEST(CharsetTest, UnknownCharsetsAndNullTargetThrow) {
    std::string out;
    String sink(&out);
    try {
        Charset charset("no-such-charset", "utf-8", &sink);
        FAIL() << "opened an unknown charset";
    } catch (const std::runtime_error& error) {
        EXPECT_STREQ(error.what(), "Conversion not possible");
    }
    EXPECT_THROW(Charset("utf-8", "no-such-charset", &sink), std::runtime_error);
    EXPECT_THROW(Charset("utf-8", nullptr, &sink), std::logic_error);
    EXPECT_THROW(Charset(nullptr, "utf-8", &sink), std::logic_error);
}

TEST(CharsetTest, InvalidBytesAreSkippedOneByOne) {
    EXPECT_EQ(run(converter("UTF-8", "UTF-8"), "a\xff"
                                               "b\xc3\xc3\xa9"),
              "ab\xc3\xa9");
    // A sequence cut off at the very end is dropped with the filter.
    EXPECT_EQ(run(converter("UTF-8", "UTF-8"), "ab\xe2\x82"), "ab");
}

TEST(CharsetTest, AgreesWithTheIconvCommand) {
    std::mt19937 random(5);
    struct Case {
        const char* from;
        const char* to;
        std::string input;
        // What the command is given where its -c skips more than the bad
        // sequence: the input without that sequence; or where glibc writes
        // a byte order mark again before a transliteration in its first
        // call: the input transliterated.
        std::string clean = {};
        // Only the texts must agree, where glibc writes ISO-2022-KR's
        // designation again before a transliteration in its first call.
        bool textOnly = false;
    };
    auto times = [](const std::string& text, size_t count) {
        std::string out;
        while (count-- > 0)
            out += text;
        return out;
    };
    std::string hiragana = "\xe3\x81\x82";
    std::string utf8 = "caf\xc3\xa9 \xe2\x82\xac 5 \xc5\x93uvre \xf0\x9f\x98\x80 \xe6\x97\xa5\xe6\x9c\xac";
    std::vector<Case> cases{
        {"ISO-8859-1", "UTF-8", randomBytes(random, 300)},
        {"UTF-8", "ISO-8859-1", utf8},
        {"UTF-8", "UTF-16LE", utf8},
        {"UTF-16LE", "UTF-8", iconvCommand("UTF-8", "UTF-16LE", utf8)},
        {"WINDOWS-1252", "UTF-8", "\x80\x93quoted\x94 \xe9t\xe9"},
        {"UTF-8", "ISO-2022-JP", "\xe6\x97\xa5\xe6\x9c\xac abc \xe6\x97\xa5"},
        {"UTF-8", "ASCII", utf8},
        // glibc's sets of direct characters, base64 runs with and without
        // their "-", a pair of surrogates
        {"UTF-7", "UTF-8", "Fr+AOk-d+AOk-ric +ZeVnLA. a+-b +2D3eAA-\\~\x80 +AGEA-x"},
        {"UTF-7-IMAP", "UTF-8", "Fr&AOk-d&AOk-ric &ZeVnLA. a&-b &2D3eAA-\\~\t +&AGE,-x"},
        // a shift-out with no designation, which iconv reports after it
        // has consumed it
        {"ISO-2022-CN-EXT", "UTF-8", "$)A\x0e#U\x0f", "$)A#U\x0f"},
        // the reader holds the last letter back for a tone mark that may
        // follow
        {"TCVN", "UTF-8", "ca"},
        {"TSCII", "UTF-8", "ab\xa6"},
        // A transliteration ("EUR", ",") whose bytes would cross the edge of
        // the writer's output keeps the shift back to ASCII before it.
        {"UTF-8", "ISO-2022-JP", times(hiragana, 508) + "\xe2\x82\xac" + "x"},
        {"UTF-8", "IBM930", times(hiragana, 510) + "\xe2\x82\xac" + "x"},
        {"CP1252", "ISO-2022-KR", std::string(507, '\xb2') + "\x82" + "x", {}, true},
        {"UTF-8", "UNICODE", hiragana + "\xf0\x9f\x98\x80" + "x", hiragana + "?x"},
        // a byte of four letters whose UTF-8 would cross the reader's
        // output edge
        {"TSCII", "UTF-8", std::string(86, '\x8c') + "?\xd1"},
    };
    for (const auto& item : cases) {
        std::string expected = iconvCommand(item.from, std::string(item.to) + "//TRANSLIT",
                                            item.clean.empty() ? item.input : item.clean);
        auto make = converter(item.from, item.to);
        std::string written = run(make, item.input);
        if (item.textOnly)
            EXPECT_EQ(iconvCommand(item.to, "UTF-8", written), iconvCommand(item.to, "UTF-8", expected))
                << item.from << " to " << item.to;
        else
            EXPECT_EQ(hex(written), hex(expected)) << item.from << " to " << item.to;
        expectSplitInvariant(make, item.input, false, random);
    }
}

// A flush leaves the shift state to the text that follows it; the end of
// the stream ends it.
TEST(CharsetTest, FinishEndsAShiftedTargetState) {
    std::string out;
    String sink(&out);
    Charset charset("UTF-8", "ISO-2022-JP", &sink);
    std::string japanese = "\xe6\x97\xa5";
    charset.process(japanese.data(), japanese.size(), false);
    charset.flush();
    charset.finish();
    EXPECT_EQ(out, iconvCommand("UTF-8", "ISO-2022-JP", japanese));
    std::string finished = out;
    charset.finish();
    EXPECT_EQ(out, finished) << "a second end adds nothing";
}

// The plain form drops what is no character of the source, as errors
// "ignore" does; the other form replaces it as "replace" does, through the
// target's encoder. A code unit that is no character, such as a lone
// surrogate that Python's UTF-7 reader passes on, is one replacement. Whole,
// and in pieces of every size with a flush after every piece; the end of the
// stream is written once, whatever comes after it.
TEST(CharsetTest, AgreesWithPythonsCodecs) {
    struct Case {
        const char* from;
        const char* to;
        std::string input;
        const char* python = nullptr; // the source's name there, where it differs
    };
    const std::vector<Case> cases{
        // a lone surrogate costs its two bytes, not one
        {"utf-16le", "utf-8", unhex("410000d842004300")},
        {"utf-32le", "utf-8", unhex("41000000000011004200000000d8000043000000")},
        // past U+10FFFF, leads F5 to FF, overlong forms and surrogates
        {"utf-8", "utf-8", unhex("61f490808062f563ffc080e08080eda080f88880808064c3a9f09f9880")},
        {"utf-8", "utf-16le", unhex("61f490808062f563ffc080e08080eda080f88880808064c3a9")},
        // well-formed, then a character the end cuts off
        {"utf-8", "utf-8", "caf\xc3\xa9 \xe2\x82\xac \xf4\x8f\xbf\xbf \xf0\x9f\x98"},
        {"utf-8", "iso-8859-1", unhex("61f490808062f563ffc080e08080eda080c3a9c3")},
        // JIS X 0208 after its escape, then ASCII again
        {"iso-2022-jp", "utf-8", unhex("1b2442467c4b5c386c1b284261")},
        // the designation opens the text, once
        {"utf-8", "iso-2022-kr", "\xed\x95\x9c"},
        // a byte that is no base64 ends the run; what follows is direct
        {"utf-7", "utf-8", "+A\xd4U8-"},
        {"utf-7", "utf-8", "+b+-o-"},
        // The replacement leaves the JIS X 0208 shift and comes back, and
        // follows the byte order mark.
        {"utf-8", "iso-2022-jp", unhex("e697a5ffe69cac")},
        {"utf-16le", "iso-2022-jp", unhex("e56500d82c67")},
        {"utf-8", "utf-16", unhex("ff41")},
        {"utf-8", "utf-7", "a\xe6\x97\xa5\xff\xe6\x9c\xac b"},
        {"iso-2022-jp", "utf-16", unhex("1b2442467cff4b5c1b2842")},
        // a lone surrogate in a run: the run goes on after it; at the end of
        // the run, of the text and at a bad byte
        {"utf-7", "utf-8", "x+AGHYPQBiAGM-y"},
        {"utf-7", "iso-2022-jp", "x+ZeXYPWcs-y"},
        {"utf-7", "utf-8", "x+3gAAYQ-y"},
        {"utf-7", "utf-8", "x+2D3YPQ-y+2D0"},
        {"utf-7", "utf-8", "x+2D0\x80y+AGHYPQA-z"},
        // UTF-8 by glibc's other names, and UCS-4 past U+10FFFF (up to
        // 0x7FFFFFFF) and in the surrogates
        {"iso-ir-193", "utf-8", unhex("61f490808062f8888080806300"), "utf-8"},
        {"ISO-10646/UTF8/", "utf-8", unhex("61f490808062"), "utf-8"},
        {"osf05010001", "iso-8859-1", unhex("61f490808062c3a9"), "utf-8"},
        {"ucs-4be", "utf-8", unhex("0000006100110000002000007fffffff0000d80000000062"), "utf-32-be"},
        {"ucs-4be", "utf-16le", unhex("00000061001100000000dfff000000e9"), "utf-32-be"},
        // The reader holds a letter back until it knows no combining mark
        // follows: the end of the text and a byte that is no character give
        // it up, before the replacement.
        {"cp1258", "utf-8", "hello"},
        {"windows-1258", "utf-16le", "caf\xe9"},
        {"cp1258", "utf-8", unhex("618162")},
        {"cp1255", "iso-8859-8", unhex("61e0ff62e0")},
    };
    std::vector<std::string> questions;
    for (const auto& item : cases)
        for (const char* errors : {"ignore", "replace"})
            questions.push_back(std::string(item.python ? item.python : item.from) + '\0' + item.to + '\0' +
                                errors + '\0' + item.input);
    auto expected =
        pythonMap("def f(b):\n"
                  "    source, target, errors, text = b.split(b'\\0', 3)\n"
                  "    errors = errors.decode()\n"
                  "    text = text.decode(source.decode(), errors)\n"
                  "    text = text.encode('utf-16-le', 'surrogatepass').decode('utf-16-le', errors)\n"
                  "    return text.encode(target.decode(), errors)",
                  questions);
    for (size_t i = 0; i < questions.size(); ++i) {
        const Case& item = cases[i / 2];
        for (size_t step = 1; step <= item.input.size(); ++step) {
            std::string out;
            size_t reported = 0;
            {
                String sink(&out);
                Charset charset(item.from, item.to, &sink, i % 2 == 0 ? "" : "\xef\xbf\xbd");
                for (size_t at = 0; at < item.input.size(); at += step) {
                    reported += charset.process(item.input.data() + at,
                                                std::min(step, item.input.size() - at), false);
                    if (step < item.input.size()) reported += charset.flush();
                }
                reported += charset.finish();
                reported += charset.finish();
            }
            EXPECT_EQ(reported, out.size()) << "written after the end";
            EXPECT_EQ(hex(out), hex(expected[i])) << item.from << " to " << item.to << ", pieces of " << step;
        }
    }
}

// A converter is opened once and serves the texts that follow, on any
// thread: each text reads as it does in a process of its own, whatever
// state the texts before it left (a shift still open, a byte order chosen
// by a mark).
TEST(CharsetTest, ConvertersServeTextAfterTextOnSeveralThreads) {
    using namespace std::string_literals; // texts that hold NUL bytes
    const std::pair<const char*, std::string> texts[] = {
        {"iso-2022-jp", "\x1b$B$3"s}, // ends in its JIS shift
        {"iso-2022-jp", "$s\x1b(B"s},
        {"utf-16", "\xff\xfe"
                   "a\0"s},
        {"utf-16", "\xfe\xff\0b"s},
        {"utf-16", "\0c"s},
        {"windows-1258", "a"s}, // a letter held for a mark that may follow
        {"windows-1258", "\xec"s},
        {"iso-8859-1", "caf\xe9"s},
        {"utf-7", "+AOk"s},
        {"utf-8", "\xc3"s},
    };
    std::vector<std::string> alone;
    for (const auto& [from, text] : texts) {
        // in a process of its own
        auto result = runProcess({"iconv", "-c", "-f", from, "-t", "utf-8"}, text, {"LC_ALL=C"});
        alone.push_back(run(converter(from, "utf-8"), text));
        if (std::string(from) != "utf-7" && std::string(from) != "utf-8") {
            EXPECT_EQ(alone.back(), result.out) << from;
        }
    }
    std::vector<std::thread> threads;
    std::vector<size_t> wrong(4);
    for (size_t t = 0; t < wrong.size(); ++t) {
        threads.emplace_back([&, t] {
            for (size_t round = 0; round < 200; ++round) {
                for (size_t k = 0; k < std::size(texts); ++k) {
                    size_t i = (k * (t + 1) + round) % std::size(texts);
                    if (run(converter(texts[i].first, "utf-8"), texts[i].second) != alone[i]) ++wrong[t];
                }
            }
        });
    }
    for (auto& thread : threads)
        thread.join();
    for (size_t t = 0; t < wrong.size(); ++t)
        EXPECT_EQ(wrong[t], 0u) << "thread " << t;
}

} // namespace
