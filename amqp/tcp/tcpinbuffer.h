// Bytes received from the broker that the parser has not consumed yet: one
// heap block, read into at its end and viewed by the parser as a Buffer.
#pragma once

#include "amqp/buffers/buffer.h"

#include <cstddef>
#include <sys/types.h>

struct ssl_st;

namespace AMQP {

class TcpInBuffer : public Buffer {
public:
    // the largest block a buffer ever takes: a frame that needs more than
    // this cannot be received (a broker may announce a frame size of 0, "no
    // limit", so the frame headers alone must not decide an allocation)
    static constexpr size_t limit = 16 * 1024 * 1024;

    explicit TcpInBuffer(size_t capacity);
    TcpInBuffer(TcpInBuffer&& other) noexcept;
    TcpInBuffer& operator=(TcpInBuffer&& other) noexcept;
    TcpInBuffer(const TcpInBuffer&) = delete;
    TcpInBuffer& operator=(const TcpInBuffer&) = delete;
    ~TcpInBuffer() override;

    size_t size() const override { return _size; }
    char byte(size_t pos) const override { return _data[pos]; }
    const char* data(size_t pos, size_t) const override { return _data + pos; }
    void copy(size_t pos, size_t size, void* out) const override;

    size_t capacity() const { return _capacity; }

    // reads what is waiting on fd, but never more than it takes to hold
    // expected bytes in all (at least one byte, so that a closed peer shows
    // as a read of 0); the block grows up to the limit when expected needs
    // it. Returns read()'s result; -1 with errno EMSGSIZE when no room is
    // left within the limit.
    ssize_t receivefrom(int fd, size_t expected);
    // the same over TLS: SSL_read of what the parser still expects; returns
    // SSL_read's result
    int receivefrom(ssl_st* ssl, size_t expected);

    // the first n bytes were consumed
    void shrink(size_t n);

    // resizes the block to n bytes, but never below the bytes it holds nor
    // above the limit; throws std::bad_alloc when the block cannot be had
    void reallocate(size_t n);

private:
    char* _data = nullptr;
    size_t _capacity = 0;
    size_t _size = 0;
};

} // namespace AMQP
