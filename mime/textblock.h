// Writes a stretch of body text (a preamble, an epilogue) with its line ends
// made CR LF and ending in CR LF, so that the delimiter written after it
// starts a line of its own.
#pragma once

#include <cstddef>

namespace Orvanta::Filter {
class Result;
}

namespace Orvanta::Mime {

class TextBlock {
public:
    TextBlock(const char* data, size_t size) : _data(data), _size(size) {}

    // nothing for an empty text; returns the bytes written
    size_t encode(Filter::Result* out, bool persistent) const;

private:
    const char* _data;
    size_t _size;
};

} // namespace Orvanta::Mime
