#include "amqp/framing/copiedbuffer.h"

#include <cstring>
#include <new>
#include <stdexcept>
#include <utility>

#include "amqp/framing/frame.h"

namespace AMQP {

CopiedBuffer::CopiedBuffer(const Frame& frame)
    : _capacity(frame.totalSize()), _buffer(static_cast<char*>(std::malloc(_capacity ? _capacity : 1))),
      _synchronous(frame.synchronous()) {
    if (!_buffer) throw std::bad_alloc();
    frame.fill(*this);
    if (frame.needsSeparator()) add(frameEnd);
    // a short frame would go out with uninitialised bytes and a header that
    // lies about its length
    if (_size != _capacity) throw std::length_error("frame wrote fewer bytes than its size");
}

CopiedBuffer::CopiedBuffer(CopiedBuffer&& other) noexcept
    : OutBuffer(other), _capacity(std::exchange(other._capacity, 0)), _buffer(std::move(other._buffer)),
      _size(std::exchange(other._size, 0)), _synchronous(other._synchronous) {}

CopiedBuffer& CopiedBuffer::operator=(CopiedBuffer&& other) noexcept {
    if (this != &other) {
        _capacity = std::exchange(other._capacity, 0);
        _buffer = std::move(other._buffer);
        _size = std::exchange(other._size, 0);
        _synchronous = other._synchronous;
    }
    return *this;
}

void CopiedBuffer::append(const void* data, size_t size) {
    if (size > _capacity - _size) throw std::length_error("frame wrote more bytes than its size");
    if (size == 0) return;
    std::memcpy(_buffer.get() + _size, data, size);
    _size += size;
}

} // namespace AMQP
