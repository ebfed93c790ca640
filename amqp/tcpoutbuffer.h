// Bytes a TCP connection still has to write, kept in the order they were
// given and written with gathered sendmsg calls.
#pragma once

#include <cstddef>
#include <deque>
#include <sys/types.h>
#include <vector>

struct iovec;
struct ssl_st;

namespace AMQP {

class TcpOutBuffer {
public:
    TcpOutBuffer() = default;
    TcpOutBuffer(TcpOutBuffer&& other) noexcept;
    TcpOutBuffer& operator=(TcpOutBuffer&& other) noexcept;
    TcpOutBuffer(const TcpOutBuffer&) = delete;
    TcpOutBuffer& operator=(const TcpOutBuffer&) = delete;

    explicit operator bool() const { return _total != 0; }
    size_t size() const { return _total; }

    // appends a copy of the bytes
    void add(const char* data, size_t size);

    // forgets the first n unwritten bytes
    void shrink(size_t n);

    // describes up to max chunks from the first unwritten byte on; returns
    // how many it described
    size_t fill(iovec* out, size_t max) const;

    // writes as much as the socket takes; the total written, or the failing
    // call's result (0 or -1 with errno kept) when nothing was written
    ssize_t sendto(int fd);
    // writes the first unwritten chunk with one SSL_write; its result
    int sendto(ssl_st* ssl);

private:
    std::deque<std::vector<char>> _chunks;
    // bytes of the front chunk already written
    size_t _skip = 0;
    size_t _total = 0;
};

} // namespace AMQP
