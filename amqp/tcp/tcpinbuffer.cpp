#include "amqp/tcp/tcpinbuffer.h"

#include "amqp/tcp/openssl.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <new>
#include <sys/ioctl.h>
#include <unistd.h>

namespace AMQP {

TcpInBuffer::TcpInBuffer(size_t capacity) {
    reallocate(capacity);
}

TcpInBuffer::TcpInBuffer(TcpInBuffer&& other) noexcept
    : _data(other._data), _capacity(other._capacity), _size(other._size) {
    other._data = nullptr;
    other._capacity = 0;
    other._size = 0;
}

TcpInBuffer& TcpInBuffer::operator=(TcpInBuffer&& other) noexcept {
    if (this == &other) return *this;
    free(_data);
    _data = other._data;
    _capacity = other._capacity;
    _size = other._size;
    other._data = nullptr;
    other._capacity = 0;
    other._size = 0;
    return *this;
}

TcpInBuffer::~TcpInBuffer() {
    free(_data);
}

void TcpInBuffer::copy(size_t pos, size_t size, void* out) const {
    memcpy(out, _data + pos, size);
}

ssize_t TcpInBuffer::receivefrom(int fd, size_t expected) {
    int waiting = 0;
    if (ioctl(fd, FIONREAD, &waiting) != 0) return -1;
    if (waiting <= 0) waiting = 1;

    // room for what the parser expects; grown here rather than trusted to be
    // there, so a frame bigger than the block never writes past it
    size_t wanted = std::max(expected, _size + 1);
    if (wanted > _capacity) reallocate(std::min(wanted, limit));
    size_t room = std::min(wanted, _capacity) - _size;
    if (room == 0) {
        errno = EMSGSIZE;
        return -1;
    }
    ssize_t result = read(fd, _data + _size, std::min(room, static_cast<size_t>(waiting)));
    if (result > 0) _size += static_cast<size_t>(result);
    return result;
}

int TcpInBuffer::receivefrom(ssl_st* ssl, size_t expected) {
    size_t wanted = std::max(expected, _size + 1);
    if (wanted > _capacity) reallocate(std::min(wanted, limit));
    size_t room = std::min(wanted, _capacity) - _size;
    if (room == 0) {
        errno = EMSGSIZE;
        return -1;
    }
    int result = OpenSSL::SSL_read(ssl, _data + _size, static_cast<int>(std::min(room, limit)));
    if (result > 0) _size += static_cast<size_t>(result);
    return result;
}

void TcpInBuffer::shrink(size_t n) {
    n = std::min(n, _size);
    // the reads keep at most one frame here, which is consumed whole; should
    // bytes of a next frame ever be left, they move to the front
    if (n > 0 && n < _size) memmove(_data, _data + n, _size - n);
    _size -= n;
}

void TcpInBuffer::reallocate(size_t n) {
    n = std::min(std::max({n, _size, size_t(1)}), std::max(limit, _size));
    if (n == _capacity) return;
    char* block = static_cast<char*>(realloc(_data, n));
    if (block == nullptr) throw std::bad_alloc();
    _data = block;
    _capacity = n;
}

} // namespace AMQP
