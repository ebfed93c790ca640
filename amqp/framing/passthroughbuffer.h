// Streams one frame straight to the connection handler: small writes are
// staged in 4096 bytes of its own, larger ones (message bodies) are handed
// over uncopied. Nothing is allocated.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "amqp/buffers/outbuffer.h"
#include "amqp/framing/frame.h"

namespace AMQP {

class Connection;
class ConnectionHandler;

// Handler is anything with onData(Connection*, const char*, size_t); the
// connection uses its ConnectionHandler (PassthroughBuffer below).
template <typename Handler>
class BasicPassthroughBuffer : public OutBuffer {
public:
    static constexpr size_t capacity = 4096;

    // writes the frame and its end marker; every byte has reached the
    // handler, in order, when the constructor returns
    BasicPassthroughBuffer(Connection* connection, Handler* handler, const Frame& frame)
        : _connection(connection), _handler(handler) {
        frame.fill(*this);
        if (frame.needsSeparator()) add(frameEnd);
        if (_size) flush();
    }

    BasicPassthroughBuffer(const BasicPassthroughBuffer&) = delete;
    BasicPassthroughBuffer& operator=(const BasicPassthroughBuffer&) = delete;
    ~BasicPassthroughBuffer() override = default;

    void append(const void* data, size_t size) override {
        if (size == 0) return;
        if (_size && _size + size > capacity) flush();
        if (size > capacity) {
            _handler->onData(_connection, static_cast<const char*>(data), size);
            return;
        }
        std::memcpy(_staging + _size, data, size);
        _size += size;
    }

private:
    void flush() {
        size_t size = _size;
        _size = 0;
        _handler->onData(_connection, _staging, size);
    }

    char _staging[capacity];
    size_t _size = 0;
    Connection* _connection;
    Handler* _handler;
};

using PassthroughBuffer = BasicPassthroughBuffer<ConnectionHandler>;

} // namespace AMQP
