// Test helper: a heap copy of exactly the text's bytes, so that a parser that
// reads one byte too far trips AddressSanitizer.
#pragma once

#include <memory>
#include <string>
#include <cstring>

namespace Orvanta::Mime::Test {

class Exact {
public:
    explicit Exact(std::string const& text) : _size(text.size()), _bytes(new char[text.size() ? text.size() : 1]) {
        std::memcpy(_bytes.get(), text.data(), text.size());
    }
    char const* data() const { return _bytes.get(); }
    size_t size() const { return _size; }

private:
    size_t _size;
    std::unique_ptr<char[]> _bytes;
};

} // namespace Orvanta::Mime::Test
