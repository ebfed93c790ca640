#include "toolbox/boolean.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <optional>
#include <string_view>

using Orvanta::Toolbox::Boolean;

TEST(Boolean, TrueWordsAndNumbers) {
    for (const char* text : {"true", "TRUE", "tRuE", "yes", "Yes", "on", "ON", "1", "-1", "7 dwarfs", "12abc",
                             "007", "-0005", "2147483648", "4294967296", "-4294967296",
                             "18446744073709551616", "100000000000000000000000000000000"})
        EXPECT_TRUE(Boolean(text)) << text;
}

TEST(Boolean, EverythingElseIsFalse) {
    for (const char* text : {"",     "no",   "false", "off", "0",     "-0",  "000",  "-",  "--1",  "- 1",
                             " yes", "yes ", "y",     "t",   "truth", "onn", "0x10", "+1", "0abc", "enabled"})
        EXPECT_FALSE(Boolean(text)) << text;
    EXPECT_FALSE(Boolean(nullptr));
}

TEST(Boolean, TheStrictReadingRefusesWhatIsNoBoolean) {
    struct Case {
        const char* text;
        std::optional<bool> value;
    };
    for (const Case& c : std::initializer_list<Case>{{"true", true},
                                                     {"YES", true},
                                                     {"On", true},
                                                     {"1", true},
                                                     {"-12", true},
                                                     {"false", false},
                                                     {"No", false},
                                                     {"OFF", false},
                                                     {"0", false},
                                                     {"-0", false},
                                                     {"", false},
                                                     {"maybe", std::nullopt},
                                                     {"12abc", std::nullopt},
                                                     {"-", std::nullopt},
                                                     {" yes", std::nullopt},
                                                     {"y", std::nullopt},
                                                     {"+1", std::nullopt}})
        EXPECT_EQ(Boolean::parse(c.text), c.value) << c.text;
    EXPECT_EQ(Boolean::parse(std::string_view("yes\0no", 6)), std::nullopt);
}
