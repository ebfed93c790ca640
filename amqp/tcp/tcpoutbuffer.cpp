#include "amqp/tcp/tcpoutbuffer.h"

#include "amqp/tcp/openssl.h"

#include <algorithm>

#include <sys/socket.h>
#include <sys/uio.h>

namespace AMQP {

namespace {

// Copied bytes go into blocks of this size (a larger piece gets a block of
// its own); small pieces in a row join into one chunk, one write.
constexpr size_t blockSize = 16384;
// at most this many bytes in one chunk (and so in one SSL_write)
constexpr size_t chunkLimit = size_t(1) << 30;

} // namespace

TcpOutBuffer::TcpOutBuffer(TcpOutBuffer&& other) noexcept
    : _chunks(std::move(other._chunks)), _blocks(std::move(other._blocks)),
      _keepers(std::move(other._keepers)), _skip(other._skip), _total(other._total) {
    other.clear();
}

TcpOutBuffer& TcpOutBuffer::operator=(TcpOutBuffer&& other) noexcept {
    if (this == &other) return *this;
    _chunks = std::move(other._chunks);
    _blocks = std::move(other._blocks);
    _keepers = std::move(other._keepers);
    _skip = other._skip;
    _total = other._total;
    other.clear();
    return *this;
}

void TcpOutBuffer::clear() {
    _chunks.clear();
    _blocks.clear();
    _keepers.clear();
    _skip = 0;
    _total = 0;
}

void TcpOutBuffer::add(const char* data, size_t size) {
    for (size_t part; size > 0; data += part, size -= part) {
        part = std::min(size, chunkLimit);
        copy(data, part);
    }
}

void TcpOutBuffer::copy(const char* data, size_t size) {
    _total += size;
    bool room = !_blocks.empty() && _blocks.back().capacity - _blocks.back().used >= size;
    // the last chunk, when a copy, ends where the last block's bytes end
    bool join = room && !_chunks.empty() && _chunks.back().copied && _chunks.back().size + size <= chunkLimit;
    if (!room) {
        // not zeroed: only what is written into it takes memory
        size_t capacity = std::max(size, blockSize);
        _blocks.push_back(Block{std::unique_ptr<char[]>(new char[capacity]), capacity, 0, 0});
    }
    Block& block = _blocks.back();
    char* target = block.bytes.get() + block.used;
    std::copy(data, data + size, target);
    block.used += size;
    if (join)
        _chunks.back().size += static_cast<uint32_t>(size);
    else
        _chunks.push_back(Chunk{target, static_cast<uint32_t>(size), true});
}

void TcpOutBuffer::add(const char* data, size_t size, const Keeper& keeper) {
    for (size_t part; size > 0; data += part, size -= part) {
        part = std::min(size, chunkLimit);
        refer(data, part, keeper);
    }
}

void TcpOutBuffer::refer(const char* data, size_t size, const Keeper& keeper) {
    _total += size;
    _chunks.push_back(Chunk{data, static_cast<uint32_t>(size), false});
    // the body frames of one message share its keeper: held once for all
    if (!_keepers.empty()) {
        const Keeper& last = _keepers.back().keeper;
        if (!last.owner_before(keeper) && !keeper.owner_before(last)) {
            ++_keepers.back().chunks;
            return;
        }
    }
    _keepers.push_back(Keeping{keeper, 1});
}

void TcpOutBuffer::add(const OutPiece* pieces, size_t count, size_t skip, const Keeper& keeper) {
    for (size_t i = 0; i < count; ++i) {
        const OutPiece& piece = pieces[i];
        if (skip >= piece.size) {
            skip -= piece.size;
            continue;
        }
        if (piece.lasting && keeper)
            add(piece.data + skip, piece.size - skip, keeper);
        else
            add(piece.data + skip, piece.size - skip);
        skip = 0;
    }
}

void TcpOutBuffer::pop() {
    const Chunk& chunk = _chunks.front();
    if (chunk.copied) {
        // chunks are written in the order their bytes went into the blocks
        Block& block = _blocks.front();
        block.written += chunk.size;
        if (block.written == block.used) _blocks.pop_front();
    } else if (--_keepers.front().chunks == 0) {
        _keepers.pop_front();
    }
    _chunks.pop_front();
}

void TcpOutBuffer::shrink(size_t n) {
    if (n >= _total) {
        clear();
        return;
    }
    while (n > 0) {
        size_t rest = _chunks.front().size - _skip;
        if (n < rest) {
            _skip += n;
            _total -= n;
            return;
        }
        _total -= rest;
        _skip = 0;
        n -= rest;
        pop();
    }
}

size_t TcpOutBuffer::fill(iovec* out, size_t max) const {
    size_t count = 0;
    for (auto it = _chunks.begin(); it != _chunks.end() && count < max; ++it, ++count) {
        size_t skip = count == 0 ? _skip : 0;
        out[count].iov_base = const_cast<char*>(it->data + skip);
        out[count].iov_len = it->size - skip;
    }
    return count;
}

ssize_t TcpOutBuffer::sendto(int fd) {
    ssize_t total = 0;
    while (_total > 0) {
        iovec chunks[64];
        msghdr message{};
        message.msg_iov = chunks;
        message.msg_iovlen = fill(chunks, 64);
        ssize_t result = sendmsg(fd, &message, MSG_NOSIGNAL);
        if (result < 1) return total > 0 ? total : result;
        shrink(static_cast<size_t>(result));
        total += result;
    }
    return total;
}

int TcpOutBuffer::sendto(ssl_st* ssl) {
    iovec chunk;
    if (fill(&chunk, 1) == 0) return 0;
    // a repeated write passes the same bytes again, perhaps from another
    // address (the context accepts a moving write buffer)
    int size = chunk.iov_len < 0x40000000 ? static_cast<int>(chunk.iov_len) : 0x40000000;
    OpenSSL::ERR_clear_error();
    int result = OpenSSL::SSL_write(ssl, chunk.iov_base, size);
    if (result > 0) shrink(static_cast<size_t>(result));
    return result;
}

} // namespace AMQP
