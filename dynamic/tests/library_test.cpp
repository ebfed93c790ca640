#include "dynamic/function.h"
#include "dynamic/library.h"
#include "dynamic/tests/libs/inprocess.h"
#include "dynamic/tests/loaded.h"

#include <gtest/gtest.h>

#include <memory>

namespace Orvanta::Dynamic {
namespace {

using Test::loaded;

const char* const missing1 = "/nonexistent/liborvanta-missing-1.so";
const char* const missing2 = "liborvanta-missing-2.so.0";

TEST(LibraryTest, ProbeFoundInProcessKeepsTheProcessHandle) {
    ASSERT_EQ(orv_probe_in_process(), 1);
    const char* names[] = {ALPHA_PATH, nullptr};
    Library library("orv_probe_in_process", names);
    ASSERT_TRUE(library.valid());
    EXPECT_FALSE(library.handle()->byName());
    EXPECT_FALSE(loaded(ALPHA_PATH)) << "no name may be opened when the process has the probe";
    Function<int()> probe(library, "orv_probe_in_process");
    EXPECT_EQ(probe(), 1);
}

TEST(LibraryTest, ProbeMissingOpensTheFirstNameThatLoads) {
    const char* names[] = {ALPHA_PATH, BETA_PATH, nullptr};
    {
        Library library("orv_probe_nowhere", names);
        ASSERT_TRUE(library.valid());
        EXPECT_TRUE(library.handle()->byName());
        EXPECT_TRUE(loaded(ALPHA_PATH));
        EXPECT_FALSE(loaded(BETA_PATH));
        EXPECT_EQ(Function<int()>(library, "orv_alpha_answer")(), 42);
        // the probe is not looked for in the library opened by name
        EXPECT_FALSE(OptionalFunction<int()>(library, "orv_probe_nowhere"));
    }
    EXPECT_FALSE(loaded(ALPHA_PATH));
}

TEST(LibraryTest, StopsAtTheFirstNameThatLoads) {
    const char* names[] = {missing1, BETA_PATH, GAMMA_PATH, nullptr};
    {
        Library library(names);
        ASSERT_TRUE(library.valid());
        EXPECT_TRUE(library.handle()->byName());
        EXPECT_TRUE(loaded(BETA_PATH));
        EXPECT_FALSE(loaded(GAMMA_PATH));
        EXPECT_EQ(Function<int()>(library, "orv_beta_answer")(), 7);
    }
    EXPECT_FALSE(loaded(BETA_PATH));
}

TEST(LibraryTest, NoNameLoads) {
    const char* names[] = {missing1, missing2, missing2, nullptr};
    Library library(names);
    EXPECT_FALSE(library.valid());
    ASSERT_TRUE(library.handle());
    EXPECT_TRUE(library.handle()->byName());
    EXPECT_EQ(library.handle()->handle(), nullptr);
}

TEST(LibraryTest, EmptyListsStillLeaveAHandle) {
    const char* none[] = {nullptr};
    Library byNames(none);
    ASSERT_TRUE(byNames.handle());
    EXPECT_FALSE(byNames.valid());
    EXPECT_FALSE(OptionalFunction<int()>(byNames, "orv_alpha_answer"));

    // with a probe, the process handle stays and counts as open
    Library withProbe("orv_probe_nowhere", none);
    EXPECT_TRUE(withProbe.valid());
    EXPECT_FALSE(withProbe.handle()->byName());
}

TEST(LibraryTest, StaysLoadedUntilTheLastBoundFunctionGoes) {
    const char* names[] = {GAMMA_PATH, nullptr};
    auto library = std::make_unique<Library>(names);
    auto bound = std::make_unique<Function<int()>>(*library, "orv_gamma_answer");
    library.reset();
    EXPECT_TRUE(loaded(GAMMA_PATH));
    EXPECT_EQ((*bound)(), 9);
    bound.reset();
    EXPECT_FALSE(loaded(GAMMA_PATH));
}

TEST(LibraryTest, LookupsReachTheLibrarysDependencies) {
    const char* names[] = {DELTA_PATH, nullptr};
    Library library(names);
    EXPECT_EQ(Function<int()>(library, "orv_delta_twice")(), 84);
    EXPECT_EQ(Function<int()>(library, "orv_alpha_answer")(), 42);
}

TEST(LibraryTest, OpenedLibraryPrefersItsOwnDefinitionsUnlessSanitized) {
    ASSERT_EQ(orv_shadowed(), 1);
    const char* names[] = {SHADOW_PATH, nullptr};
    Library library(names);
    Function<int()> call(library, "orv_call_shadowed");
#if defined(ORVANTA_NO_DEEPBIND) && ORVANTA_NO_DEEPBIND
    EXPECT_EQ(call(), 1);
#else
    EXPECT_EQ(call(), 2);
#endif
    // never opened into the global scope
    EXPECT_EQ(::dlsym(RTLD_DEFAULT, "orv_call_shadowed"), nullptr);
    ::dlerror();
}

} // namespace
} // namespace Orvanta::Dynamic
