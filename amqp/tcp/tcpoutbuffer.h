// Bytes a TCP connection still has to write, kept in the order they were
// given and written with gathered sendmsg calls. Small pieces are copied
// into shared blocks; lasting pieces (a message body whose keeper holds it)
// are referred to, not copied. A queued body frame costs little more than
// its framing bytes: a slow socket may hold tens of thousands of them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <sys/types.h>

#include "amqp/buffers/outpiece.h"

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
    // appends the bytes, referred to while keeper is held
    void add(const char* data, size_t size, const Keeper& keeper);
    // appends the pieces from byte skip of their joined bytes on: lasting
    // ones referred to under keeper (when there is one), the others copied
    void add(const OutPiece* pieces, size_t count, size_t skip, const Keeper& keeper);

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
    // Bytes in the order of writing: copied into a block, or referred to
    // under the keeper of their turn in _keepers. Body frames referred to
    // in place make two chunks each: their body, and their end marker
    // joined with the next one's header.
    struct Chunk {
        const char* data;
        uint32_t size;
        bool copied;
    };
    // room for copied bytes, filled from the front; freed once every chunk
    // in it was written
    struct Block {
        std::unique_ptr<char[]> bytes;
        size_t capacity;
        size_t used;
        // bytes of the chunks in it that were written and forgotten
        size_t written;
    };
    // a keeper and how many referred chunks in a row it holds
    struct Keeping {
        Keeper keeper;
        size_t chunks;
    };

    void copy(const char* data, size_t size);
    void refer(const char* data, size_t size, const Keeper& keeper);
    // forgets the first chunk, which was written
    void pop();
    void clear();

    std::deque<Chunk> _chunks;
    std::deque<Block> _blocks;
    std::deque<Keeping> _keepers;
    // bytes of the front chunk already written
    size_t _skip = 0;
    size_t _total = 0;
};

} // namespace AMQP
