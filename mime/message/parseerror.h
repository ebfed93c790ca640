// A stretch of header text that is not a header field; the parser skips
// `length()` bytes and goes on.
#pragma once

#include <cstddef>
#include <stdexcept>
#include <string>

namespace Orvanta::Mime {

class ParseError : public std::runtime_error {
public:
    ParseError(const std::string& message, size_t length) : std::runtime_error(message), _length(length) {}
    size_t length() const { return _length; }

private:
    size_t _length;
};

} // namespace Orvanta::Mime
