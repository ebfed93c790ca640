#include "amqp/sslconnected.h"

#include "amqp/monitor.h"
#include "amqp/openssl.h"
#include "amqp/poll.h"
#include "amqp/sslerrorprinter.h"
#include "amqp/sslshutdown.h"
#include "amqp/tcpclosed.h"
#include "amqp/tcpevents.h"
#include "amqp/tcpparent.h"

#include <functional>

namespace AMQP {

namespace {

constexpr int errorNone = 0;
constexpr int wantRead = 2;
constexpr int wantWrite = 3;

bool alive(const Monitor& connection, const Monitor& state) {
    return connection.valid() && state.valid();
}

} // namespace

SslConnected::SslConnected(TcpExtState* previous, SslWrapper&& ssl, TcpOutBuffer&& output)
    : TcpExtState(previous), _ssl(std::move(ssl)), _out(std::move(output)), _in(4096),
      _state(_out ? State::sending : State::idle) {
    _parent->onIdle(this, _fd, _out ? readable | writable : readable);
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
    return proceed();
}

TcpState* SslConnected::write(const Monitor& monitor) {
    _state = State::idle;
    while (_out) {
        int result = _out.sendto(_ssl);
        if (result < 1) return repeat(monitor, State::sending, OpenSSL::SSL_get_error(_ssl, result));
        // a broker that has something to say is heard between chunks
        bool incoming = isReadable();
        if (_out && !incoming) continue;
        return incoming ? receive(monitor) : proceed();
    }
    return proceed();
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
        return _out && isWritable() ? write(monitor) : proceed();
    }
}

TcpState* SslConnected::parse(const Monitor& monitor) {
    // the parser's callbacks may replace or destroy this state: the bytes
    // live in a local buffer meanwhile
    Monitor self(this);
    TcpInBuffer buffer(std::move(_in));
    size_t consumed = _parent->onReceived(this, buffer);
    if (!alive(monitor, self)) return nullptr;
    buffer.shrink(consumed);
    _in = std::move(buffer);
    if (_reallocate != 0) {
        _in.reallocate(_reallocate);
        _reallocate = 0;
    }
    return this;
}

TcpState* SslConnected::proceed() {
    if (_out) {
        _parent->onIdle(this, _fd, readable | writable);
        return this;
    }
    if (_closed) return new SslShutdown(this, std::move(_ssl));
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
        _state = state;
        _parent->onIdle(this, _fd, readable);
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
    // a read that found nothing holds nothing that must be repeated: only a
    // pending write keeps the TLS close waiting
    if (_closed && _state != State::sending && !_out) return new SslShutdown(this, std::move(_ssl));
    return this;
}

TcpState* SslConnected::fail(const Monitor& monitor, const char* message) {
    Monitor self(this);
    _state = State::error;
    _parent->onError(this, message, true);
    return alive(monitor, self) ? new TcpClosed(this) : nullptr;
}

void SslConnected::send(const char* data, size_t size) {
    if (_closed || size == 0) return;
    if (_state != State::idle || _out) {
        // behind what waits: the bytes stay in order
        _out.add(data, size);
        return;
    }
    Monitor self(this);
    try {
        OpenSSL::ERR_clear_error();
        int result = OpenSSL::SSL_write(_ssl, data, static_cast<int>(size < 0x40000000 ? size : 0x40000000));
        if (result >= 1 && static_cast<size_t>(result) == size) return;
        if (result >= 1) {
            // only a part fit in (a partial write is not enabled, but a
            // huge buffer is written in pieces): the rest waits its turn
            _out.add(data + result, size - static_cast<size_t>(result));
            _parent->onIdle(this, _fd, readable | writable);
            return;
        }
        int error = OpenSSL::SSL_get_error(_ssl, result);
        _out.add(data, size);
        if (!repeat(State::sending, error) && self.valid()) _parent->onIdle(this, _fd, readable);
    } catch (const std::bad_function_call& missing) {
        _state = State::error;
        _parent->onError(this, missing.what(), true);
        if (self.valid()) _parent->onIdle(this, _fd, readable);
    }
}

void SslConnected::close() {
    _closed = true;
    // the next event drains the output and moves on to the TLS close; a
    // pending write finishes first, but a read that waits for the peer
    // would wait for bytes that may never come
    if (_state == State::receiving) _state = State::idle;
    if (_state == State::idle) _parent->onIdle(this, _fd, readable | writable);
}

bool SslConnected::isReadable() const {
    return Poll(_fd).readable();
}

bool SslConnected::isWritable() const {
    return Poll(_fd).writable();
}

} // namespace AMQP
