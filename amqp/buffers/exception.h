// The AMQP library's own exception type: a std::runtime_error with a plain text.
#pragma once

#include <stdexcept>
#include <string>

namespace AMQP {

class Exception : public std::runtime_error {
public:
    explicit Exception(const std::string& what) : std::runtime_error(what) {}
};

} // namespace AMQP
