// Replaces each run of bytes from a set by one copy of a replacement, also
// when the run continues across pieces.
#pragma once

#include "filter/byteset.h"
#include "filter/filter.h"

#include <string>

namespace Orvanta::Filter {

class Merge : public Filter {
public:
    Merge(Result* next, std::string bytes, std::string replacement)
        : Filter(next), _bytes(std::move(bytes)), _replacement(std::move(replacement)),
          _set(ByteSet::of(_bytes.data(), _bytes.size())) {}

    using Filter::process;
    size_t process(const char* data, size_t size, bool persistent) override;

private:
    std::string _bytes;
    std::string _replacement;
    bool _inRun = false;
    ByteSet _set;
};

} // namespace Orvanta::Filter
