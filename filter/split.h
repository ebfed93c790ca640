// Inserts a separator after every so many bytes, never after the last byte.
#pragma once

#include "filter/filter.h"

#include <string>

namespace Orvanta::Filter {

class Split : public Filter {
public:
    // Throws std::runtime_error for a width of 0, which no output could
    // ever satisfy.
    Split(Result* next, size_t width, std::string separator);

    using Filter::process;
    size_t process(const char* data, size_t size, bool persistent) override;

private:
    size_t _width;
    std::string _separator;
    size_t _column = 0; // bytes since the last separator
};

} // namespace Orvanta::Filter
