// Test helper for cost tests: how the time of some work grows when its size
// is multiplied by four, rather than an absolute time, which depends on the
// machine and the build.
#pragma once

#include <algorithm>
#include <cstddef>
#include <ctime>

namespace Orvanta::Mime::Test {

// The limit a growth is checked against: linear work grows about 4 times,
// quadratic work 16 times; halfway leaves room for a machine that is busy
// with other tests (caches shared, clock rates changing) without letting
// quadratic work pass.
constexpr double linear = 10.0;

// the CPU time of one run of work(size) in this thread, in seconds: time the
// thread spent waiting for a processor other tests held does not count
template <typename Work>
double timed(const Work& work, size_t size) {
    timespec start{};
    timespec end{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &start);
    work(size);
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &end);
    return static_cast<double>(end.tv_sec - start.tv_sec) +
           static_cast<double>(end.tv_nsec - start.tv_nsec) * 1e-9;
}

// The time of work(4 * size) over that of work(size): about 4 when the work
// is linear, 16 when it is quadratic. Each is the shortest of five runs, the
// two sizes taking turns, so that a busy spell of the machine slows both
// rather than one of them, and a run slowed by chance is not the one kept.
template <typename Work>
double growth(const Work& work, size_t size) {
    double small = 0;
    double large = 0;
    for (int run = 0; run < 5; ++run) {
        double s = timed(work, size);
        double l = timed(work, 4 * size);
        small = run == 0 ? s : std::min(small, s);
        large = run == 0 ? l : std::min(large, l);
    }
    return large / std::max(small, 1e-6);
}

} // namespace Orvanta::Mime::Test
