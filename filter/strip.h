// Drops every byte of a set (and every zero byte) from the stream.
#pragma once

#include "filter/byteset.h"
#include "filter/filter.h"

namespace Orvanta::Filter {

class Strip : public Filter {
public:
    Strip(Result* next, const char* bytes) : Filter(next), _set(ByteSet::terminated(bytes)) {}

    using Filter::process;
    size_t process(const char* data, size_t size, bool persistent) override;

private:
    ByteSet _set;
};

} // namespace Orvanta::Filter
