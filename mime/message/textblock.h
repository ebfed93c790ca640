// Writes a stretch of text as it stood (a preamble, an epilogue, a delimiter
// line, a header line or a line that is not a field), its line feeds made
// CR LF and ending in CR LF, so that what is written after it starts a line
// of its own. A lone CR stays a lone CR (see CrLf).
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
