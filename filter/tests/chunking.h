// Feeds one input to freshly built filters in many different cuttings: a
// filter's output must not depend on how its input was cut into pushes.
#pragma once

#include "filter/filter.h"
#include "filter/string.h"
#include "testsupport/hex.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace Orvanta::Filter::Test {

using Pieces = std::vector<std::string>;
using Factory = std::function<std::unique_ptr<Filter>(Result* next)>;

// The output of a chain fed with the pieces, complete after the filter's
// destruction.
inline std::string run(const Factory& make, const Pieces& pieces, bool persistent = true) {
    std::string out;
    String sink(&out);
    {
        std::unique_ptr<Filter> filter = make(&sink);
        for (const std::string& piece : pieces)
            filter->process(piece.data(), piece.size(), persistent);
    }
    return out;
}

inline Pieces randomCut(const std::string& input, std::mt19937& rng, size_t longest = 7) {
    std::uniform_int_distribution<size_t> length(0, longest);
    Pieces pieces;
    for (size_t at = 0; at < input.size();) {
        size_t n = std::min(length(rng), input.size() - at);
        pieces.push_back(input.substr(at, n));
        at += n;
    }
    return pieces;
}

using Orvanta::Test::randomText;

// Every byte a piece of its own.
inline Pieces bytewise(const std::string& input) {
    Pieces pieces;
    for (char c : input)
        pieces.emplace_back(1, c);
    return pieces;
}

// Every cut in two, single bytes and random cuttings give what one push
// gives; returns that output.
inline std::string expectCutInvariant(const Factory& make, const std::string& input, std::mt19937& rng) {
    std::string whole = run(make, {input});
    for (size_t i = 0; i <= input.size(); ++i) {
        std::string two = run(make, {input.substr(0, i), input.substr(i)}, i % 2 == 0);
        EXPECT_EQ(two, whole) << "cut at " << i << " of \"" << input << "\"";
        if (two != whole) return whole;
    }
    EXPECT_EQ(run(make, bytewise(input)), whole) << "single bytes of \"" << input << "\"";
    for (int round = 0; round < 5; ++round)
        EXPECT_EQ(run(make, randomCut(input, rng)), whole) << "random cut of \"" << input << "\"";
    return whole;
}

} // namespace Orvanta::Filter::Test
