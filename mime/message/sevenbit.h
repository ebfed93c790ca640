// A sink that keeps nothing and only answers whether what it was given could
// cross a transport without 8-bit support: ASCII bytes only, and no line
// longer than the hard limit (line ends not counted).
#pragma once

#include "filter/result.h"

#include <cstddef>

namespace Orvanta::Mime {

class SevenBit : public Filter::Result {
public:
    explicit SevenBit(size_t hardLimit) : _limit(hardLimit) {}

    using Result::append;
    size_t append(const char* data, size_t size, bool persistent) override;

    bool fits() const { return _fits; }

    // the same question about one text
    static bool fits(const char* data, size_t size, size_t hardLimit);

private:
    size_t _limit;
    size_t _line = 0; // bytes on the current line so far
    bool _cr = false; // a CR not yet counted: it may begin the line end
    bool _fits = true;
};

} // namespace Orvanta::Mime
