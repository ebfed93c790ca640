// Puts an escape byte before every byte of a set (and before zero bytes).
#pragma once

#include "filter/byteset.h"
#include "filter/filter.h"

namespace Orvanta::Filter {

class Escape : public Filter {
public:
    Escape(Result* next, const char* bytes, char escape)
        : Filter(next), _escape(escape), _set(ByteSet::terminated(bytes)) {}

    using Filter::process;
    size_t process(const char* data, size_t size, bool persistent) override;

private:
    char _escape;
    ByteSet _set;
};

} // namespace Orvanta::Filter
