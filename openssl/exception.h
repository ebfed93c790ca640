// The exception for failures that OpenSSL reports through its error queue.
#pragma once

#include <stdexcept>

namespace Orvanta::OpenSSL {

class Exception : public std::runtime_error {
public:
    // the reason text of an OpenSSL error code (0: OpenSSL gave no reason)
    explicit Exception(unsigned long code);
    // a literal 0 would otherwise be ambiguous between the code and the text
    explicit Exception(int code) : Exception(static_cast<unsigned long>(code)) {}
    explicit Exception(const char* text) : std::runtime_error(text) {}
};

} // namespace Orvanta::OpenSSL
