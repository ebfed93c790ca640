// An input that cannot be a message at all ("Empty header"); the one parse
// exception that reaches the caller of a message parse.
#pragma once

#include <stdexcept>
#include <string>

namespace Orvanta::Mime {

class FatalError : public std::runtime_error {
public:
    explicit FatalError(const std::string& message) : std::runtime_error(message) {}
};

} // namespace Orvanta::Mime
