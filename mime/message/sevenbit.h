// A sink that keeps nothing and only answers whether what it was given could
// cross a transport as it stands: no NUL, a CR only before its LF (RFC 2045
// section 2.7), no line longer than the hard limit (line ends not counted),
// and ASCII bytes only unless the transport takes 8-bit ones.
#pragma once

#include "filter/result.h"

#include <cstddef>

namespace Orvanta::Mime {

class SevenBit : public Filter::Result {
public:
    // `binary`: the text goes out as binary data, where any byte may stand,
    // and only the length of its lines counts (a LF ends one)
    explicit SevenBit(size_t hardLimit, bool eightbit = false, bool binary = false)
        : _limit(hardLimit), _eightbit(eightbit), _binary(binary) {}

    using Result::append;
    size_t append(const char* data, size_t size, bool persistent) override;

    // a CR that ended what was given is followed by no LF
    bool fits() const { return _fits && (!_cr || _binary); }

    // the same question about one text
    static bool fits(const char* data, size_t size, size_t hardLimit, bool eightbit = false,
                     bool binary = false);

private:
    size_t _limit;
    bool _eightbit;
    bool _binary;
    size_t _line = 0; // bytes on the current line so far
    bool _cr = false; // the last byte was a CR: only a LF may follow it
    bool _fits = true;
};

} // namespace Orvanta::Mime
