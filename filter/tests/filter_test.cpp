#include "filter/filter.h"
#include "filter/memory.h"
#include "filter/string.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <type_traits>
#include <utility>

using Orvanta::Filter::Filter;
using Orvanta::Filter::Result;
using Orvanta::Filter::String;

namespace {

// Calls that would bind a size to the persistent flag must not compile.
template <typename T, typename Size, typename = void>
struct CanProcessTwo : std::false_type {};
template <typename T, typename Size>
struct CanProcessTwo<
    T, Size,
    std::void_t<decltype(std::declval<T&>().process(std::declval<const char*>(), std::declval<Size>()))>>
    : std::true_type {};
template <typename T, typename Size, typename = void>
struct CanAppendTwo : std::false_type {};
template <typename T, typename Size>
struct CanAppendTwo<
    T, Size,
    std::void_t<decltype(std::declval<T&>().append(std::declval<const char*>(), std::declval<Size>()))>>
    : std::true_type {};

static_assert(!CanProcessTwo<Filter, size_t>::value);
static_assert(!CanProcessTwo<Filter, int>::value);
static_assert(!CanProcessTwo<Filter, unsigned>::value);
static_assert(CanProcessTwo<Filter, bool>::value, "zero-terminated text with its flag");
static_assert(!CanAppendTwo<Result, size_t>::value);
static_assert(!CanAppendTwo<Filter, size_t>::value);
static_assert(!CanAppendTwo<String, size_t>::value);

// Upper-cases what passes and counts the calls, to see which overload runs.
class Upper : public Filter {
public:
    using Filter::Filter;
    using Filter::process;
    size_t process(const char* data, size_t size, bool persistent) override {
        ++calls;
        lastPersistent = persistent;
        std::string copy(data, size);
        for (char& c : copy)
            c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        return next->append(copy.data(), copy.size(), false);
    }
    int calls = 0;
    bool lastPersistent = false;
};

// A sink that reports fewer bytes than it was given, to see that filters
// pass on what the end of the chain reports.
class Half : public Result {
public:
    using Result::append;
    size_t append(const char*, size_t size, bool) override { return size / 2; }
    size_t flush() override { return 7; }
};

} // namespace

TEST(FilterTest, BaseFilterPassesBytesAndFlags) {
    static const char text[] = "persistent bytes";
    Orvanta::Filter::Memory memory;
    Filter pass(&memory);
    EXPECT_EQ(pass.append(text, sizeof text - 1, true), sizeof text - 1);
    EXPECT_EQ(memory.data(), text) << "the flag reaches the sink unchanged";
}

TEST(FilterTest, OverloadsReachTheThreeArgumentProcess) {
    std::string out;
    String sink(&out);
    Upper upper(&sink);
    EXPECT_EQ(upper.process("abc", true), 3u);
    EXPECT_TRUE(upper.lastPersistent);
    EXPECT_EQ(upper.process(std::string("def")), 3u);
    EXPECT_FALSE(upper.lastPersistent);
    EXPECT_EQ(upper.append(std::string("g")), 1u);
    EXPECT_EQ(upper.append('h'), 1u);
    std::istringstream stream(std::string(5000, 'i'));
    EXPECT_EQ(upper.process(stream), 5000u);
    EXPECT_EQ(upper.calls, 6);
    EXPECT_EQ(out, "ABCDEFGH" + std::string(5000, 'I'));
    std::istringstream done;
    done.setstate(std::ios::eofbit);
    EXPECT_EQ(upper.process(done), 0u);
    EXPECT_EQ(upper.calls, 6);
}

TEST(FilterTest, ResultsAndFlushComeFromTheEndOfTheChain) {
    Half half;
    Filter first(&half);
    Filter second(&first);
    EXPECT_EQ(second.append("0123456789", 10, false), 5u);
    EXPECT_EQ(second.flush(), 7u);
}
