// Told by a header decoder which bytes of its text are encoded words it left
// as they were written (a charset or bytes that do not convert, a word glued
// after text), so that a writer sets those back as they stood and encodes
// any other text that a reader could take for an encoded word.
#pragma once

#include <cstddef>

namespace Orvanta::Filter {

class KeptWords {
public:
    virtual ~KeptWords() = default;
    // the next `size` bytes the decoder writes are words kept as written
    virtual void kept(size_t size) = 0;
};

} // namespace Orvanta::Filter
