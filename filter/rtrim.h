// Holds back a trailing run of bytes from a set until a byte outside the set
// follows, so that whitespace at the very end of a stream is dropped.
#pragma once

#include "filter/byteset.h"
#include "filter/filter.h"

#include <string>

namespace Orvanta::Filter {

class Rtrim : public Filter {
public:
    Rtrim(Result* next, std::string bytes)
        : Filter(next), _bytes(std::move(bytes)), _set(ByteSet::of(_bytes.data(), _bytes.size())) {}

    using Filter::process;
    size_t process(const char* data, size_t size, bool persistent) override;
    // Keeps the held run: the stream may still go on, and the run would then
    // be interior whitespace.
    size_t flush() override { return next->flush(); }

private:
    std::string _bytes;
    std::string _held;
    ByteSet _set;
};

} // namespace Orvanta::Filter
