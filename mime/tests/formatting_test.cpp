#include "mime/grammar/formatting.h"

#include <gtest/gtest.h>

#include <string>

using Orvanta::Mime::Formatting;

namespace {

// the five answers as a string of letters: a(scii) t(om) p(hrase) m (param) d(ottedatom)
std::string forms(const std::string& text) {
    Formatting f(text.data(), text.size());
    std::string out;
    if (f.ascii()) out += 'a';
    if (f.atom()) out += 't';
    if (f.phrase()) out += 'p';
    if (f.param()) out += 'm';
    if (f.dottedatom()) out += 'd';
    return out;
}

} // namespace

TEST(FormattingTest, Forms) {
    EXPECT_EQ(forms("john.doe"), "amd");
    EXPECT_EQ(forms(".john"), "am");
    EXPECT_EQ(forms("john."), "am");
    EXPECT_EQ(forms("john..doe"), "am");
    EXPECT_EQ(forms("."), "am");
    EXPECT_EQ(forms("John Doe"), "ap");
    EXPECT_EQ(forms("a,b"), "am");
    EXPECT_EQ(forms("a/b=c?"), "atpd");
    EXPECT_EQ(forms("J\xc3\xb6rg"), "tpmd");
    EXPECT_EQ(forms(""), "atpmd");
    EXPECT_EQ(forms("~`!#$%^&*-_+{}|'"), "atpmd");
    for (char special : std::string("\"()<>@:;[]\\"))
        EXPECT_EQ(forms(std::string("a") + special), "a") << special;
}

TEST(FormattingTest, ControlBytesClearEverything) {
    EXPECT_EQ(forms("a\tb"), "");
    EXPECT_EQ(forms("a\rb"), "");
    EXPECT_EQ(forms("a\nb"), "");
    EXPECT_EQ(forms(std::string("a\0b", 3)), "");
    EXPECT_EQ(forms("a\x7f"), "");
}

TEST(FormattingTest, EveryHighByteKeepsAllButAscii) {
    for (int byte = 0x80; byte <= 0xff; ++byte)
        EXPECT_EQ(forms(std::string(1, static_cast<char>(byte))), "tpmd") << byte;
}

TEST(FormattingTest, AddAndProcess) {
    Formatting f("ab", 2);
    f.process(' ');
    EXPECT_TRUE(f.phrase());
    EXPECT_FALSE(f.atom());
    f.add(~4ul);
    EXPECT_FALSE(f.phrase());
    EXPECT_TRUE(f.ascii());
}
