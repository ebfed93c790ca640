// Thrown when received bytes break the protocol; the connection catches it at
// the frame boundary and fails with its text.
#pragma once

#include "amqp/buffers/exception.h"

namespace AMQP {

class ProtocolException : public Exception {
public:
    explicit ProtocolException(const std::string& what) : Exception(what) {}
};

// A frame whose end marker is wrong: the bytes cannot be framed at all, and
// the peer is to get nothing more on the connection, which closes at once.
class FramingException : public ProtocolException {
public:
    explicit FramingException(const std::string& what) : ProtocolException(what) {}
};

} // namespace AMQP
