// A non-owning view of received bytes as a Buffer.
#pragma once

#include "amqp/buffers/buffer.h"

namespace AMQP {

class ByteBuffer : public Buffer {
public:
    ByteBuffer(const char* data, size_t size) : _data(data), _size(size) {}

    // the view moves, leaving the source empty; it is never copied
    ByteBuffer(ByteBuffer&& other) noexcept;
    ByteBuffer& operator=(ByteBuffer&& other) noexcept;
    ByteBuffer(const ByteBuffer&) = delete;
    ByteBuffer& operator=(const ByteBuffer&) = delete;

    ~ByteBuffer() override = default;

    size_t size() const override { return _size; }
    char byte(size_t pos) const override { return _data[pos]; }
    const char* data(size_t pos, size_t) const override { return _data + pos; }
    void copy(size_t pos, size_t size, void* out) const override;

private:
    const char* _data;
    size_t _size;
};

} // namespace AMQP
