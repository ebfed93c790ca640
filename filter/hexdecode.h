// Decodes "%" and two hex digits back into the byte they stand for. An
// escape whose digits are not hex passes unchanged, as does one cut off by
// the end of the stream (written by finish() or when the filter is
// destroyed).
#pragma once

#include "filter/filter.h"

namespace Orvanta::Filter {

class HexDecode : public Filter {
public:
    explicit HexDecode(Result* next) : Filter(next) {}
    ~HexDecode() override;

    using Filter::process;
    size_t process(const char* data, size_t size, bool persistent) override;
    // Ends the escaped text: a held "%" (and digit) is pushed as text, so
    // that what follows is not taken as its digits.
    size_t finish();

private:
    char _first = 0;
    int _state = 0; // 0 text, 1 after "%", 2 after "%" and one digit
};

} // namespace Orvanta::Filter
