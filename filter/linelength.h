// A filter that can tell where the line it writes currently stands, so that
// text written through it can continue the count of that line.
#pragma once

#include "filter/buffersize.h"
#include "filter/filter.h"

namespace Orvanta::Filter {

class LineLength : public Filter {
public:
    using Filter::Filter;
    virtual BufferSize size() const = 0;
};

} // namespace Orvanta::Filter
