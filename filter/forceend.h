// Makes the output end with a given text: at the end of the stream it adds
// whatever part of that text the output does not already end with.
#pragma once

#include "filter/filter.h"

namespace Orvanta::Filter {

class ForceEnd : public Filter {
public:
    // The end text must outlive the filter. `whole`: only the whole end text
    // counts; output that ends with a part of it (a CR of a binary body,
    // before a CR LF) ends with content, and gets the whole text after it.
    ForceEnd(Result* next, const char* end, bool whole = false);
    ~ForceEnd() override;

    using Filter::process;
    size_t process(const char* data, size_t size, bool persistent) override;

private:
    const char* _end;
    size_t _endSize;
    bool _whole;
    size_t _matched = 0; // bytes of the end text the output now ends with
};

} // namespace Orvanta::Filter
