// An OutBuffer that collects what is written into a string, for inspection.
#pragma once

#include <string>

#include "amqp/outbuffer.h"

namespace AMQP::Test {

class StringSink : public OutBuffer {
public:
    void append(const void* data, size_t size) override {
        bytes.append(static_cast<const char*>(data), size);
    }
    std::string bytes;
};

} // namespace AMQP::Test
