// An OutBuffer that collects what is written into a string, for inspection,
// and the broker-side helpers built on it (used by tests, fuzz and bench).
#pragma once

#include <string>

#include "amqp/buffers/bytebuffer.h"
#include "amqp/buffers/outbuffer.h"
#include "amqp/connection.h"
#include "amqp/framing/frame.h"

namespace AMQP::Test {

class StringSink : public OutBuffer {
public:
    void append(const void* data, size_t size) override {
        bytes.append(static_cast<const char*>(data), size);
    }
    std::string bytes;
};

// A frame as the broker's side sends it, end marker included.
inline std::string received(const Frame& frame) {
    StringSink sink;
    frame.fill(sink);
    sink.bytes += static_cast<char>(frameEnd);
    return sink.bytes;
}

inline void feed(Connection& connection, const std::string& bytes) {
    ByteBuffer buffer(bytes.data(), bytes.size());
    connection.parse(buffer);
}

} // namespace AMQP::Test
