// Query ids drawn at random (1 to 65535), so that an off-path sender has to
// guess them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <random>

namespace DNS {

class IdGenerator {
public:
    IdGenerator();

    uint16_t generate() { return uint16_t(_distribution(_engine)); }
    // the most lookups that may be in flight at once with distinct ids
    static constexpr size_t capacity() { return 32768; }

private:
    std::mt19937 _engine;
    std::uniform_int_distribution<unsigned> _distribution;
};

// One per thread: blocking queries may run on several threads at once,
// each with its own private loop.
extern thread_local IdGenerator randomids;

} // namespace DNS
