// Write side of the byte abstraction: a sink with big-endian writers, all of
// which end in append().
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace AMQP {

class OutBuffer {
public:
    virtual ~OutBuffer() = default;

    // takes size bytes; what that means is the sink's business
    virtual void append(const void* data, size_t size) = 0;

    // raw bytes, no length prefix
    void add(const char* data, size_t size) { append(data, size); }
    void add(const std::string& data) { append(data.data(), data.size()); }

    void add(uint8_t value) { append(&value, 1); }
    void add(int8_t value) { append(&value, 1); }
    void add(uint16_t value);
    void add(int16_t value) { add(static_cast<uint16_t>(value)); }
    void add(uint32_t value);
    void add(int32_t value) { add(static_cast<uint32_t>(value)); }
    void add(uint64_t value);
    void add(int64_t value) { add(static_cast<uint64_t>(value)); }

    // IEEE-754 bit pattern, big-endian
    void add(float value);
    void add(double value);

protected:
    OutBuffer() = default;
    OutBuffer(const OutBuffer&) = default;
    OutBuffer& operator=(const OutBuffer&) = default;
};

} // namespace AMQP
