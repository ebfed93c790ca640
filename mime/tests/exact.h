// Test helper: a heap copy of exactly the text's bytes, so that a parser that
// reads one byte too far trips AddressSanitizer.
#pragma once

#include <cstring>
#include <memory>
#include <string>

namespace Orvanta::Mime::Test {

class Exact {
public:
    explicit Exact(const std::string& text)
        : _size(text.size()), _bytes(new char[text.size() ? text.size() : 1]) {
        std::memcpy(_bytes.get(), text.data(), text.size());
    }
    const char* data() const { return _bytes.get(); }
    size_t size() const { return _size; }

private:
    size_t _size;
    std::unique_ptr<char[]> _bytes;
};

} // namespace Orvanta::Mime::Test
