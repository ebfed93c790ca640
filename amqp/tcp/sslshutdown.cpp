#include "amqp/tcp/sslshutdown.h"

#include "amqp/tcp/openssl.h"
#include "amqp/tcp/tcpclosed.h"
#include "amqp/tcp/tcpevents.h"
#include "amqp/tcp/tcpparent.h"

#include <functional>

namespace AMQP {

namespace {

constexpr int wantRead = 2;
constexpr int wantWrite = 3;

} // namespace

SslShutdown::SslShutdown(TcpExtState* previous, SslWrapper&& ssl)
    : TcpExtState(previous), _ssl(std::move(ssl)) {
    _parent->onIdle(this, _fd, readable | writable);
    taken();
}

TcpState* SslShutdown::process(const Monitor&, int fd, int) {
    if (fd != _fd) return this;
    try {
        OpenSSL::ERR_clear_error();
        // the first call sends the close notification, the next one waits
        // for the peer's
        int result = OpenSSL::SSL_shutdown(_ssl);
        while (result == 0)
            result = OpenSSL::SSL_shutdown(_ssl);
        return result >= 1 ? proceed() : repeat(result);
    } catch (const std::bad_function_call&) {
        // the connection already ended; only the socket is left to release
        return proceed();
    }
}

TcpState* SslShutdown::repeat(int result) {
    switch (OpenSSL::SSL_get_error(_ssl, result)) {
    case wantRead:
        _parent->onIdle(this, _fd, readable);
        return this;
    case wantWrite:
        _parent->onIdle(this, _fd, readable | writable);
        return this;
    default:
        // the peer closed, or the close failed: either way it is over
        return proceed();
    }
}

TcpState* SslShutdown::proceed() {
    // replacing this state frees the TLS object and releases the socket
    return new TcpClosed(this);
}

} // namespace AMQP
