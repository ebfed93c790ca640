// Walks a delimiter-separated list and hands each element to a callback;
// empty elements and blanks around delimiters are accepted.
#pragma once

#include <cstddef>
#include <functional>

namespace Orvanta::Mime {

class DelimDetector {
public:
    // Given the text from an element's first byte to the end, the callback
    // returns the bytes it consumed, 0 to stop the walk.
    using Callback = std::function<size_t(const char*, size_t)>;

    DelimDetector(char delimiter, Callback callback)
        : _callback(std::move(callback)), _delimiter(delimiter) {}

    // returns the bytes walked in this call
    size_t parse(const char* data, size_t size);
    size_t consumed() const { return _consumed; }

private:
    Callback _callback;
    char _delimiter;
    size_t _consumed = 0;
};

} // namespace Orvanta::Mime
