#include "amqp/tcp/sslconnected.h"

#include "amqp/monitor.h"
#include "amqp/tcp/openssl.h"
#include "amqp/tcp/poll.h"
#include "amqp/tcp/sslerrorprinter.h"
#include "amqp/tcp/sslshutdown.h"
#include "amqp/tcp/tcpclosed.h"
#include "amqp/tcp/tcpevents.h"
#include "amqp/tcp/tcpparent.h"

#include <functional>

namespace AMQP {

namespace {

constexpr int errorNone = 0;
constexpr int wantRead = 2;
constexpr int wantWrite = 3;

} // namespace

SslConnected::SslConnected(TcpExtState* previous, SslWrapper&& ssl, TcpOutBuffer&& output)
    : TcpStream(previous, std::move(output)), _ssl(std::move(ssl)),
      _state(_out ? State::sending : State::idle) {
    _parent->onIdle(this, _fd, _out ? readable | writable : readable);
    taken();
}

TcpState* SslConnected::process(const Monitor& monitor, int fd, int flags) {
    if (fd != _fd) return this;
    try {
        return step(monitor, flags);
    } catch (const std::bad_function_call& missing) {
        return fail(monitor, missing.what());
    }
}

TcpState* SslConnected::step(const Monitor& monitor, int flags) {
    // a repeated write or read is resumed on any event: OpenSSL may need the
    // other direction to finish it
    switch (_state) {
    case State::sending:
        return write(monitor);
    case State::receiving:
        return receive(monitor);
    case State::error:
        return new TcpClosed(this);
    case State::idle:
        break;
    }
    if (flags & readable) return receive(monitor);
    if (_out) return write(monitor);
    return proceed(monitor);
}

TcpState* SslConnected::write(const Monitor& monitor) {
    _state = State::idle;
    while (_out) {
        int result = _out.sendto(_ssl);
        if (result < 1) return repeat(monitor, State::sending, OpenSSL::SSL_get_error(_ssl, result));
        // a broker that has something to say is heard between chunks
        bool incoming = isReadable();
        if (_out && !incoming) continue;
        return incoming ? receive(monitor) : proceed(monitor);
    }
    return proceed(monitor);
}

TcpState* SslConnected::receive(const Monitor& monitor) {
    OpenSSL::ERR_clear_error();
    while (true) {
        _state = State::idle;
        size_t expected = _parent->expected();
        if (expected > TcpInBuffer::limit) return fail(monitor, "frame size exceeded");
        int result = _in.receivefrom(_ssl, expected);
        if (result < 1) return repeat(monitor, State::receiving, OpenSSL::SSL_get_error(_ssl, result));
        TcpState* next = parse(monitor);
        if (next != this) return next;
        // a callback during the parse started a write or read that waits
        if (_state != State::idle) return this;
        // bytes OpenSSL decrypted already are not announced by the socket
        if (OpenSSL::SSL_pending(_ssl) > 0) continue;
        return _out && isWritable() ? write(monitor) : proceed(monitor);
    }
}

TcpState* SslConnected::proceed(const Monitor& monitor) {
    if (_out) {
        _parent->onIdle(this, _fd, readable | writable);
        return this;
    }
    if (_closed) return follow<SslShutdown>(monitor, std::move(_ssl));
    _parent->onIdle(this, _fd, readable);
    return this;
}

bool SslConnected::repeat(State state, int error) {
    switch (error) {
    case wantWrite:
        _state = state;
        _parent->onIdle(this, _fd, readable | writable);
        return true;
    case errorNone:
        _state = State::idle;
        _parent->onIdle(this, _fd, _out ? readable | writable : readable);
        return true;
    case wantRead:
        // a read that found no whole record has nothing to repeat: it is
        // idle, so that what is sent meanwhile goes out without waiting for
        // the peer to speak first
        _state = state == State::receiving ? State::idle : state;
        _parent->onIdle(this, _fd, _state == State::idle && _out ? readable | writable : readable);
        return true;
    default: {
        _state = State::error;
        SslErrorPrinter text(error);
        _parent->onError(this, text.data(), true);
        return false;
    }
    }
}

TcpState* SslConnected::repeat(const Monitor& monitor, State state, int error) {
    Monitor self(this);
    if (!repeat(state, error)) return alive(monitor, self) ? new TcpClosed(this) : nullptr;
    // the watch asked for may have ended the connection
    if (!alive(monitor, self)) return nullptr;
    if (_closed && _state == State::idle && !_out) return follow<SslShutdown>(monitor, std::move(_ssl));
    return this;
}

TcpState* SslConnected::fail(const Monitor& monitor, const char* message) {
    Monitor self(this);
    _state = State::error;
    _parent->onError(this, message, true);
    return alive(monitor, self) ? new TcpClosed(this) : nullptr;
}

void SslConnected::send(const char* data, size_t size) {
    OutPiece piece{data, size, false};
    sendPieces(&piece, 1, nullptr);
}

void SslConnected::sendPieces(const OutPiece* pieces, size_t count, const Keeper& keeper) {
    if (_closed) return;
    Monitor self(this);
    try {
        // written at once while nothing waits, one SSL_write a piece; what
        // has to wait is queued in order, a lasting piece without a copy
        for (size_t i = 0; i < count; ++i) {
            if (_state != State::idle || _out) {
                _out.add(pieces + i, count - i, 0, keeper);
                return;
            }
            const OutPiece& piece = pieces[i];
            if (piece.size == 0) continue;
            OpenSSL::ERR_clear_error();
            int size = piece.size < 0x40000000 ? static_cast<int>(piece.size) : 0x40000000;
            int result = OpenSSL::SSL_write(_ssl, piece.data, size);
            if (result >= 1 && static_cast<size_t>(result) == piece.size) continue;
            if (result >= 1) {
                // a piece over what one SSL_write takes: the rest waits
                _out.add(pieces + i, count - i, static_cast<size_t>(result), keeper);
                _parent->onIdle(this, _fd, readable | writable);
                return;
            }
            int error = OpenSSL::SSL_get_error(_ssl, result);
            _out.add(pieces + i, count - i, 0, keeper);
            if (!repeat(State::sending, error) && self.valid()) _parent->onIdle(this, _fd, readable);
            return;
        }
    } catch (const std::bad_function_call& missing) {
        _state = State::error;
        _parent->onError(this, missing.what(), true);
        if (self.valid()) _parent->onIdle(this, _fd, readable);
    }
}

void SslConnected::close() {
    _closed = true;
    // the next event drains the output and moves on to the TLS close; a
    // pending read or write finishes first
    if (_state == State::idle) _parent->onIdle(this, _fd, readable | writable);
}

bool SslConnected::isReadable() const {
    return Poll(_fd).readable();
}

bool SslConnected::isWritable() const {
    return Poll(_fd).writable();
}

} // namespace AMQP
