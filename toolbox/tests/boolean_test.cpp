#include "toolbox/boolean.h"

#include <gtest/gtest.h>

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
