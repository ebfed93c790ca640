// An OutBuffer that collects what is written into a string, for inspection.
#pragma once

#include <string>

#include <gtest/gtest.h>

#include "amqp/outbuffer.h"

namespace AMQP::Test {

class StringSink : public OutBuffer {
public:
    void append(const void* data, size_t size) override {
        bytes.append(static_cast<const char*>(data), size);
    }
    std::string bytes;
};

// The bytes a value writes, checking that size() announced exactly as many:
// frames are allocated from size(), so a mismatch corrupts them.
template <typename Value> std::string encoded(const Value& value) {
    StringSink sink;
    value.fill(sink);
    EXPECT_EQ(sink.bytes.size(), value.size()) << "size() must match what fill() writes";
    return sink.bytes;
}

} // namespace AMQP::Test
