// Passes bytes on and keeps flushes from passing: for a stage that flushes in
// the middle of its stream where the next stage takes a flush for the end.
// The RFC 2047 decoder flushes after every encoded word it decodes; the
// encoder behind it would take that for the end of a run of words and close
// its encoded word there, and the space between two such words would be lost
// to every reader.
#pragma once

#include "filter/filter.h"

namespace Orvanta::Mime {

class FlushGuard : public Filter::Filter {
public:
    using Filter::Filter;
    size_t flush() override { return 0; }
};

} // namespace Orvanta::Mime
