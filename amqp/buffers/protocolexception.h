// Thrown when received bytes break the protocol; the connection catches it at
// the frame boundary and fails with its text.
#pragma once

#include "amqp/buffers/exception.h"

namespace AMQP {

class ProtocolException : public Exception {
public:
    explicit ProtocolException(const std::string& what) : Exception(what) {}
};

} // namespace AMQP
