#include "dynamic/function.h"

#include <gtest/gtest.h>

#include <dlfcn.h>
#include <functional>
#include <stdexcept>
#include <string>

namespace Orvanta::Dynamic {
namespace {

const char* const alphaNames[] = {ALPHA_PATH, nullptr};
const char* const deadNames[] = {"/nonexistent/liborvanta-missing-1.so", "liborvanta-missing-2.so.0",
                                 nullptr};

template <typename Signature>
std::string bindingError(const Library& library, const char* name) {
    try {
        Function<Signature> f(library, name);
    } catch (const std::runtime_error& e) {
        return e.what();
    }
    return "(bound)";
}

TEST(FunctionTest, BindsExportedNames) {
    Library library(alphaNames);
    Function<int(int, int)> add(library, "orv_alpha_add");
    EXPECT_EQ(add(40, 2), 42);
    EXPECT_EQ(add(-5, 3), -2);
    OptionalFunction<int()> answer(library, "orv_alpha_answer");
    ASSERT_TRUE(answer);
    EXPECT_EQ(answer(), 42);
}

TEST(FunctionTest, MissingNameInAnOpenLibrary) {
    Library library(alphaNames);
    std::string text = bindingError<int()>(library, "orv_nope");
    EXPECT_EQ(text.rfind("Method orv_nope not found ", 0), 0u) << text;
    EXPECT_NE(text.find("undefined symbol: orv_nope"), std::string::npos) << text;

    OptionalFunction<int()> optional(library, "orv_nope");
    EXPECT_FALSE(optional);
    EXPECT_THROW(optional(), std::bad_function_call);
}

TEST(FunctionTest, LibraryNotOpenReportsWhyOnce) {
    ::dlerror();
    Library library(deadNames);
    std::string first = bindingError<int()>(library, "orv_alpha_answer");
    EXPECT_EQ(first.rfind("Method orv_alpha_answer not found liborvanta-missing-2.so.0", 0), 0u) << first;
    EXPECT_EQ(bindingError<int()>(library, "orv_alpha_answer"), "Method orv_alpha_answer not found ");
    EXPECT_FALSE(OptionalFunction<int()>(library, "orv_alpha_answer"));
}

TEST(FunctionTest, ProbedLibraryNotOpenReportsWhyToo) {
    // the process's handle, dropped on the way to the names, must not wipe the reason
    const char* oneName[] = {"liborvanta-missing-3.so.0", nullptr};
    Library library("orv_probe_nowhere", oneName);
    ASSERT_FALSE(library.valid());
    std::string first = bindingError<int()>(library, "orv_alpha_answer");
    EXPECT_EQ(first.rfind("Method orv_alpha_answer not found liborvanta-missing-3.so.0", 0), 0u) << first;
}

TEST(FunctionTest, FailedOptionalLookupsLeaveNoTextBehind) {
    ::dlerror();
    Library dead(deadNames);
    bindingError<int()>(dead, "orv_alpha_answer"); // reads the open failure

    Library alpha(alphaNames);
    EXPECT_FALSE(OptionalFunction<int()>(alpha, "orv_nope"));
    EXPECT_EQ(bindingError<int()>(dead, "orv_alpha_answer"), "Method orv_alpha_answer not found ");

    // nor does a probe that the process lacks
    const char* none[] = {nullptr};
    Library probed("orv_probe_nowhere", none);
    EXPECT_EQ(bindingError<int()>(dead, "orv_alpha_answer"), "Method orv_alpha_answer not found ");
}

TEST(FunctionTest, EachBoundObjectKeepsItsOwnShare) {
    Library library(alphaNames);
    Function<int()> first(library, "orv_alpha_answer");
    EXPECT_EQ(library.handle().use_count(), 2);
    {
        OptionalFunction<int()> second(library, "orv_alpha_answer");
        OptionalFunction<int()> missing(library, "orv_nope");
        EXPECT_EQ(library.handle().use_count(), 4);
    }
    EXPECT_EQ(library.handle().use_count(), 2);
    // a failed mandatory binding gives its share back
    bindingError<int()>(library, "orv_nope");
    EXPECT_EQ(library.handle().use_count(), 2);
}

} // namespace
} // namespace Orvanta::Dynamic
