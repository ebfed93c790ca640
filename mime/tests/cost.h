// Test helper for cost tests: how the time of some work grows when its size
// is multiplied by four, rather than an absolute time, which depends on the
// machine and the build.
#pragma once

#include <algorithm>
#include <chrono>
#include <cstddef>

namespace Orvanta::Mime::Test {

// the shortest of three runs of work(size), in seconds
template <typename Work>
double fastest(const Work& work, size_t size) {
    double best = 0;
    for (int run = 0; run < 3; ++run) {
        auto start = std::chrono::steady_clock::now();
        work(size);
        double took = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        best = run == 0 ? took : std::min(best, took);
    }
    return best;
}

// the time of work(4 * size) over that of work(size): about 4 when the work
// is linear, 16 when it is quadratic
template <typename Work>
double growth(const Work& work, size_t size) {
    double small = fastest(work, size);
    return fastest(work, 4 * size) / std::max(small, 1e-6);
}

} // namespace Orvanta::Mime::Test
