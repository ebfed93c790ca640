#include "amqp/buffers/bytebuffer.h"

#include <cstring>

namespace AMQP {

ByteBuffer::ByteBuffer(ByteBuffer&& other) noexcept : Buffer(), _data(other._data), _size(other._size) {
    other._data = nullptr;
    other._size = 0;
}

ByteBuffer& ByteBuffer::operator=(ByteBuffer&& other) noexcept {
    if (this == &other) return *this;
    _data = other._data;
    _size = other._size;
    other._data = nullptr;
    other._size = 0;
    return *this;
}

void ByteBuffer::copy(size_t pos, size_t size, void* out) const {
    if (size) std::memcpy(out, _data + pos, size);
}

} // namespace AMQP
