// Passes everything on unchanged and adds a suffix at the end of the stream.
#pragma once

#include "filter/filter.h"

#include <cstring>

namespace Orvanta::Filter {

class Append : public Filter {
public:
    // The suffix must outlive the filter.
    Append(Result* next, const char* suffix)
        : Filter(next), _suffix(suffix), _suffixSize(std::strlen(suffix)) {}
    Append(Result* next, const char* suffix, size_t size)
        : Filter(next), _suffix(suffix), _suffixSize(size) {}
    ~Append() override { next->append(_suffix, _suffixSize, true); }

private:
    const char* _suffix;
    size_t _suffixSize;
};

} // namespace Orvanta::Filter
