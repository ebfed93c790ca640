// A view of another Buffer from a given offset on: position 0 is the other
// buffer's byte at that offset.
#pragma once

#include "amqp/buffers/buffer.h"

namespace AMQP {

class ReducedBuffer : public Buffer {
public:
    // the other buffer must outlive this view
    ReducedBuffer(const Buffer& buffer, size_t skip) : _buffer(buffer), _skip(skip) {}
    ~ReducedBuffer() override = default;

    size_t size() const override { return _buffer.size() > _skip ? _buffer.size() - _skip : 0; }
    char byte(size_t pos) const override { return _buffer.byte(pos + _skip); }
    const char* data(size_t pos, size_t size) const override { return _buffer.data(pos + _skip, size); }
    void copy(size_t pos, size_t size, void* out) const override { _buffer.copy(pos + _skip, size, out); }

private:
    const Buffer& _buffer;
    size_t _skip;
};

} // namespace AMQP
