// The peak memory a piece of work takes: how far the process's resident set
// grows over what it held before, its high-water mark reset first (Linux).
// For tests and benchmarks that bound what hostile input costs; header-only,
// so benchmarks built without the tests use it too.
#pragma once

#include <cstddef>
#include <fstream>
#include <string>

namespace Orvanta::Test {

// a "VmRSS:" or "VmHWM:" line of /proc/self/status, in bytes
inline size_t residentBytes(const char* key) {
    std::ifstream in("/proc/self/status");
    std::string word;
    while (in >> word) {
        if (word != key) continue;
        size_t kilobytes = 0;
        in >> kilobytes;
        return kilobytes * 1024;
    }
    return 0;
}

template <typename Work>
size_t peakGrowth(const Work& work) {
    std::ofstream("/proc/self/clear_refs") << "5";
    size_t before = residentBytes("VmRSS:");
    work();
    size_t peak = residentBytes("VmHWM:");
    return peak > before ? peak - before : 0;
}

} // namespace Orvanta::Test
