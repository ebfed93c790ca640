// Decodes "%" and two hex digits back into the byte they stand for. An
// escape whose digits are not hex passes unchanged, as does one cut off by
// the end of the stream (written when the filter is destroyed).
#pragma once

#include "filter/filter.h"

namespace Orvanta::Filter {

class HexDecode : public Filter {
public:
    explicit HexDecode(Result* next) : Filter(next) {}
    ~HexDecode() override;

    using Filter::process;
    size_t process(const char* data, size_t size, bool persistent) override;

private:
    // Pushes the held "%" (and digit) as text and returns to plain text.
    size_t release();

    char _first = 0;
    int _state = 0; // 0 text, 1 after "%", 2 after "%" and one digit
};

} // namespace Orvanta::Filter
