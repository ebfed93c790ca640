#include "amqp/tcp/tcpconnected.h"

#include "amqp/monitor.h"
#include "amqp/tcp/tcpclosed.h"
#include "amqp/tcp/tcpevents.h"
#include "amqp/tcp/tcpparent.h"

#include <algorithm>
#include <cerrno>
#include <sys/socket.h>
#include <sys/uio.h>

namespace AMQP {

TcpConnected::TcpConnected(TcpExtState* previous, TcpOutBuffer&& output)
    : TcpStream(previous, std::move(output)) {
    // a failure shows on the next writable event
    if (_out) _out.sendto(_fd);
    _parent->onIdle(this, _fd, _out ? readable | writable : readable);
    taken();
}

TcpState* TcpConnected::process(const Monitor& monitor, int fd, int flags) {
    if (fd != _fd) return this;
    Monitor self(this);
    if (flags & writable) {
        ssize_t result = _out.sendto(_fd);
        if (result < 0 && reportError(result)) return alive(monitor, self) ? new TcpClosed(this) : nullptr;
        if (_out) return this;
        if (_closed) shutdown(_fd, SHUT_WR);
        _parent->onIdle(this, _fd, readable);
        // the handler may end the connection inside that watch
        if (!alive(monitor, self)) return nullptr;
    }
    if (flags & readable) {
        size_t expected = _parent->expected();
        if (expected > TcpInBuffer::limit) {
            // a frame this size cannot be held; the parser would wait forever
            _parent->onError(this, "frame size exceeded", true);
            return alive(monitor, self) ? new TcpClosed(this) : nullptr;
        }
        ssize_t result = _in.receivefrom(_fd, expected);
        if (reportError(result)) return alive(monitor, self) ? new TcpClosed(this) : nullptr;
        // a read that would block brought nothing new to parse
        return result > 0 ? parse(monitor) : this;
    }
    return this;
}

bool TcpConnected::reportError(long result) {
    if (result > 0) return false;
    if (result < 0 && (errno == EAGAIN || errno == EINTR)) return false;
    if (!_closed) _parent->onError(this, "connection lost", true);
    return true;
}

void TcpConnected::send(const char* data, size_t size) {
    if (_closed) return;
    if (_out) {
        _out.add(data, size);
        return;
    }
    ssize_t result = ::send(_fd, data, size, MSG_NOSIGNAL);
    // a failure is not reported here: the queued rest meets it on the next
    // writable event
    size_t written = result < 0 ? 0 : static_cast<size_t>(result);
    if (written >= size) return;
    _out.add(data + written, size - written);
    _parent->onIdle(this, _fd, readable | writable);
}

void TcpConnected::sendPieces(const OutPiece* pieces, size_t count, const Keeper& keeper) {
    if (_closed) return;
    if (_out) {
        _out.add(pieces, count, 0, keeper);
        return;
    }
    // one gathered write for all of them; what the socket does not take
    // waits, lasting pieces without a copy
    iovec vectors[8];
    size_t used = std::min<size_t>(count, 8);
    for (size_t i = 0; i < used; ++i) {
        vectors[i].iov_base = const_cast<char*>(pieces[i].data);
        vectors[i].iov_len = pieces[i].size;
    }
    msghdr message{};
    message.msg_iov = vectors;
    message.msg_iovlen = used;
    ssize_t result = sendmsg(_fd, &message, MSG_NOSIGNAL);
    // a failure is not reported here, as in send()
    _out.add(pieces, count, result < 0 ? 0 : static_cast<size_t>(result), keeper);
    if (_out) _parent->onIdle(this, _fd, readable | writable);
}

void TcpConnected::close() {
    if (_closed) return;
    _closed = true;
    if (_out) return;
    shutdown(_fd, SHUT_WR);
    _parent->onIdle(this, _fd, readable);
}

} // namespace AMQP
