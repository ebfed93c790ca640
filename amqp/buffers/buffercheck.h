// Guards one read of n bytes from an InBuffer: refuses it up front when fewer
// bytes remain, and advances the cursor once the read is done.
#pragma once

#include <cstddef>

namespace AMQP {

class InBuffer;

class BufferCheck {
public:
    // throws ProtocolException "frame out of range" unless size bytes remain
    BufferCheck(InBuffer& buffer, size_t size);
    ~BufferCheck();

    BufferCheck(const BufferCheck&) = delete;
    BufferCheck& operator=(const BufferCheck&) = delete;

private:
    InBuffer& _buffer;
    size_t _size;
};

} // namespace AMQP
