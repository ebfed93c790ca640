// Read side of the byte abstraction: a source of bytes addressed by position.
// Implementations never own or copy received bytes.
#pragma once

#include <cstddef>

namespace AMQP {

class Buffer {
public:
    virtual ~Buffer() = default;

    // number of bytes available
    virtual size_t size() const = 0;

    // the byte at pos
    virtual char byte(size_t pos) const = 0;

    // size contiguous bytes from pos on, valid while the buffer is unchanged
    virtual const char* data(size_t pos, size_t size) const = 0;

    // copies size bytes from pos on into out
    virtual void copy(size_t pos, size_t size, void* out) const = 0;

protected:
    Buffer() = default;
    Buffer(const Buffer&) = default;
    Buffer& operator=(const Buffer&) = default;
};

} // namespace AMQP
