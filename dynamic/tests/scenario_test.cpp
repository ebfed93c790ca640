#include "testsupport/process.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string scenario(const char* name) {
    auto result = Orvanta::Test::runProcess({SCENARIO_PATH, name});
    EXPECT_EQ(result.status, 0) << result.err;
    return result.out;
}

TEST(BindingOnFirstUseTest, LibraryThatDidNotOpenIsNotSearchedAgain) {
    std::string out = scenario("dead");
    std::string prefix = "error [Method orv_alpha_answer not found ";
    // the first failure carries the reason the last name did not open, the
    // later ones have nothing left to report; the library is built once
    EXPECT_EQ(out.rfind(prefix + "liborvanta-missing-2.so.0", 0), 0u) << out;
    std::string rest = out.substr(out.find('\n') + 1);
    EXPECT_EQ(rest, prefix + "]\n" + prefix + "]\nbuilt 1\n");
}

TEST(BindingOnFirstUseTest, MissingNameIsLookedUpAgainOnEveryCall) {
    std::string out = scenario("missing");
    size_t count = 0;
    for (size_t at = out.find("undefined symbol: orv_nope"); at != std::string::npos;
         at = out.find("undefined symbol: orv_nope", at + 1))
        ++count;
    EXPECT_EQ(count, 3u) << out;
    EXPECT_NE(out.find("built 1\n"), std::string::npos) << out;
}

TEST(BindingOnFirstUseTest, BoundFunctionIsCalledThrough) {
    EXPECT_EQ(scenario("bound"), "result 42\nresult 42\nresult 42\nbuilt 1\n");
}

} // namespace
