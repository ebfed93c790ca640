// Decodes base64 text. Characters outside the base64 alphabet (line breaks,
// blanks) are skipped, groups split across pieces are put back together,
// padding ends the data, and an unpadded final group of two or three
// characters still gives its bytes when the filter goes.
#pragma once

#include "filter/filter.h"

#include <cstdint>

namespace Orvanta::Filter {

class Base64Decode : public Filter {
public:
    // lines: whether the text comes in lines; since line breaks are skipped
    // anyway, both forms decode alike.
    Base64Decode(bool lines, Result* next);
    // Ends the input as finish() does unless it was ended already.
    ~Base64Decode() override;
    Base64Decode(const Base64Decode&) = delete;
    Base64Decode& operator=(const Base64Decode&) = delete;

    using Filter::process;
    size_t process(const char* data, size_t size, bool persistent) override;

    // The end of the input: pushes the bytes of an unpadded final group
    // and returns what the push returned; later input is ignored.
    size_t finish();

private:
    // Pushes the bytes that the characters of an unfinished group hold.
    size_t finishGroup();

    uint32_t _bits = 0;  // the digits of the group being read, 6 bits each
    size_t _digits = 0;  // how many of them: 0 to 3
    bool _ended = false; // padding was met: the rest is ignored
};

} // namespace Orvanta::Filter
