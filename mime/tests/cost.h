// Test helper for cost tests: how the time of some work grows when its size
// is multiplied by four, rather than an absolute time, which depends on the
// machine and the build.
#pragma once

#include <algorithm>
#include <chrono>
#include <cstddef>

namespace Orvanta::Mime::Test {

// the time of one run of work(size), in seconds
template <typename Work>
double timed(const Work& work, size_t size) {
    auto start = std::chrono::steady_clock::now();
    work(size);
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// The time of work(4 * size) over that of work(size): about 4 when the work
// is linear, 16 when it is quadratic. Each is the shortest of three runs, the
// two sizes taking turns, so that a busy spell of the machine (other tests
// run beside this one) slows both rather than one of them.
template <typename Work>
double growth(const Work& work, size_t size) {
    double small = 0;
    double large = 0;
    for (int run = 0; run < 3; ++run) {
        double s = timed(work, size);
        double l = timed(work, 4 * size);
        small = run == 0 ? s : std::min(small, s);
        large = run == 0 ? l : std::min(large, l);
    }
    return large / std::max(small, 1e-6);
}

} // namespace Orvanta::Mime::Test
