#include "amqp/tcp/tcpoutbuffer.h"

#include "amqp/tcp/openssl.h"

#include <algorithm>

#include <sys/socket.h>
#include <sys/uio.h>

namespace AMQP {

namespace {

// a copied chunk takes more small pieces (frame headers, end markers, whole
// small frames) until it holds this many bytes
constexpr size_t joinLimit = 16384;
// What a copied chunk reserves at first. Between two body frames that are
// referred to in place it holds only their 8 framing bytes: with small
// frames there are many of them, and each must cost bytes, not a page.
constexpr size_t firstReserve = 64;

} // namespace

TcpOutBuffer::TcpOutBuffer(TcpOutBuffer&& other) noexcept
    : _chunks(std::move(other._chunks)), _skip(other._skip), _total(other._total) {
    other._chunks.clear();
    other._skip = 0;
    other._total = 0;
}

TcpOutBuffer& TcpOutBuffer::operator=(TcpOutBuffer&& other) noexcept {
    if (this == &other) return *this;
    _chunks = std::move(other._chunks);
    _skip = other._skip;
    _total = other._total;
    other._chunks.clear();
    other._skip = 0;
    other._total = 0;
    return *this;
}

void TcpOutBuffer::add(const char* data, size_t size) {
    if (size == 0) return;
    _total += size;
    if (!_chunks.empty()) {
        Chunk& last = _chunks.back();
        // grown by doubling up to the join limit; the bytes may move (a
        // repeated SSL_write accepts that), so data is taken anew
        if (!last.copy.empty() && last.copy.size() + size <= joinLimit) {
            size_t needed = last.copy.size() + size;
            if (needed > last.copy.capacity())
                last.copy.reserve(std::min(std::max(needed, 2 * last.copy.capacity()), joinLimit));
            last.copy.insert(last.copy.end(), data, data + size);
            last.data = last.copy.data();
            last.size = last.copy.size();
            return;
        }
    }
    Chunk chunk{{}, nullptr, 0, {}};
    chunk.copy.reserve(std::max(size, firstReserve));
    chunk.copy.assign(data, data + size);
    chunk.data = chunk.copy.data();
    chunk.size = size;
    _chunks.push_back(std::move(chunk));
}

void TcpOutBuffer::add(const char* data, size_t size, const Keeper& keeper) {
    if (size == 0) return;
    _chunks.push_back(Chunk{{}, data, size, keeper});
    _total += size;
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

void TcpOutBuffer::shrink(size_t n) {
    if (n >= _total) {
        _chunks.clear();
        _skip = 0;
        _total = 0;
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
        _chunks.pop_front();
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
