// Passes text through unchanged and counts the bytes and characters of the
// current line, from the start of a line or from where the caller's line
// already stands.
#pragma once

#include "filter/linelength.h"

namespace Orvanta::Filter {

class LineTracker : public LineLength {
public:
    explicit LineTracker(Result* next, BufferSize start = BufferSize()) : LineLength(next), _line(start) {}

    using Filter::process;
    size_t process(const char* data, size_t size, bool persistent) override;
    BufferSize size() const override { return _line; }

private:
    BufferSize _line;
};

} // namespace Orvanta::Filter
