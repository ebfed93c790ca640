// A position on a line or a pair of line limits: a count of bytes and a
// count of characters (ASCII bytes and UTF-8 lead bytes).
#pragma once

#include <cstddef>

namespace Orvanta::Filter {

class BufferSize {
public:
    BufferSize() = default;
    BufferSize(size_t bytes, size_t characters) : _bytes(bytes), _characters(characters) {}
    BufferSize(const BufferSize&) = default;
    BufferSize& operator=(const BufferSize&) = default;

    size_t bytes() const { return _bytes; }
    size_t characters() const { return _characters; }

    void add(size_t bytes, size_t characters) {
        _bytes += bytes;
        _characters += characters;
    }

    bool operator==(const BufferSize& other) const {
        return _bytes == other._bytes && _characters == other._characters;
    }
    bool operator!=(const BufferSize& other) const { return !(*this == other); }

private:
    size_t _bytes = 0;
    size_t _characters = 0;
};

// The characters among the bytes.
size_t countCharacters(const char* data, size_t size);

} // namespace Orvanta::Filter
