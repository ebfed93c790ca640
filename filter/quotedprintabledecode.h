// Decodes quoted-printable text: "=XX" escapes become their bytes, soft line
// breaks ("=" before a line end, also with white space between) disappear.
// An "=" that starts no valid escape stays as it is.
#pragma once

#include "filter/filter.h"

#include <string>

namespace Orvanta::Filter {

class QuotedPrintableDecode : public Filter {
public:
    explicit QuotedPrintableDecode(Result* next) : Filter(next) {}
    // Writes an escape cut off by the end of the stream ("=4") as text.
    ~QuotedPrintableDecode() override;

    using Filter::process;
    size_t process(const char* data, size_t size, bool persistent) override;

private:
    // Pushes the held "=" and what followed it as text.
    size_t release();

    int _state = 0;      // 0 text, 1 after "=", 2 after "=" and a digit, 3 after "=" and white space
    char _byte = 0;      // the first digit in state 2
    std::string _blanks; // the white space after "=" in state 3
};

} // namespace Orvanta::Filter
