// Runs without any loadable zlib: the name list is pointed at files that do
// not exist before the library is first used, so this needs a process of its
// own.
#include "filter/gzip.h"
#include "filter/string.h"
#include "filter/zlib.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

namespace {

void hideZlib() {
    static bool done = false;
    if (done) return;
    done = true;
    for (const char** name = Orvanta::Zlib::versions; *name != nullptr; ++name)
        *name = "/nonexistent/orvanta/libz-missing.so";
}

std::string constructionError() {
    std::string out;
    Orvanta::Filter::String sink(&out);
    try {
        Orvanta::Filter::Gzip gzip(false, &sink);
    } catch (const std::runtime_error& error) {
        return error.what();
    }
    return "no exception";
}

} // namespace

TEST(ZlibMissingTest, ConstructingGzipThrowsTheBindingError) {
    hideZlib();
    EXPECT_FALSE(Orvanta::Zlib::valid());
    std::string first = constructionError();
    EXPECT_EQ(first.rfind("Method deflateInit2_ not found ", 0), 0u) << first;
    EXPECT_NE(first.find("/nonexistent/orvanta/libz-missing.so"), std::string::npos) << first;
    // The binding is tried again, and throws again.
    EXPECT_EQ(constructionError().rfind("Method deflateInit2_ not found ", 0), 0u);
    z_stream stream{};
    EXPECT_THROW(Orvanta::Zlib::macroInflateInit2(&stream, 31), std::runtime_error);
}
