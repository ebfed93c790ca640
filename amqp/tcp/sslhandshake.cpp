#include "amqp/tcp/sslhandshake.h"

#include "amqp/monitor.h"
#include "amqp/tcp/openssl.h"
#include "amqp/tcp/sslconnected.h"
#include "amqp/tcp/sslerrorprinter.h"
#include "amqp/tcp/sslshutdown.h"
#include "amqp/tcp/tcpclosed.h"
#include "amqp/tcp/tcpevents.h"
#include "amqp/tcp/tcpparent.h"

#include <functional>
#include <stdexcept>

namespace AMQP {

namespace {

constexpr int wantRead = 2;
constexpr int wantWrite = 3;
constexpr int ctrlSetHostname = 55;
constexpr long hostNameType = 0;

} // namespace

SslHandshake::SslHandshake(TcpExtState* previous, const std::string& host, TcpOutBuffer&& output)
    : TcpExtState(previous), _context(OpenSSL::TLS_client_method()), _ssl(_context), _out(std::move(output)) {
    // no verification mode: the handshake completes whatever the certificate
    // says, and the handler's onSecured judges it
    OpenSSL::SSL_CTX_set_default_verify_paths(_context);
    OpenSSL::SSL_set_connect_state(_ssl);
    OpenSSL::SSL_ctrl(_ssl, ctrlSetHostname, hostNameType, const_cast<char*>(host.c_str()));
    if (OpenSSL::SSL_set_fd(_ssl, _fd) == 0)
        throw std::runtime_error("failed to associate filedescriptor with ssl socket");
    bool prepared = _parent->onSecuring(this, _ssl);
    // the handler closed or destroyed the connection inside the call, and
    // the previous state with it: nothing reaches the connection any more
    if (!standing()) return;
    if (!prepared) throw std::runtime_error("failed to initialize SSL structure in user space");
    // the ClientHello goes first
    _parent->onIdle(this, _fd, writable);
    taken();
}

TcpState* SslHandshake::process(const Monitor& monitor, int fd, int flags) {
    (void)flags;
    if (fd != _fd) return this;
    try {
        return step(monitor);
    } catch (const std::bad_function_call& missing) {
        return reportError(monitor, missing.what());
    }
}

TcpState* SslHandshake::step(const Monitor& monitor) {
    OpenSSL::ERR_clear_error();
    int result = OpenSSL::SSL_do_handshake(_ssl);
    if (result == 1) return nextstate(monitor);
    int error = OpenSSL::SSL_get_error(_ssl, result);
    if (error == wantRead) {
        _parent->onIdle(this, _fd, readable);
        return this;
    }
    if (error == wantWrite) {
        _parent->onIdle(this, _fd, readable | writable);
        return this;
    }
    SslErrorPrinter text(error);
    return reportError(monitor, text.data());
}

TcpState* SslHandshake::nextstate(const Monitor& monitor) {
    Monitor self(this);
    bool accepted = _parent->onSecured(this, _ssl);
    if (!monitor.valid() || !self.valid()) return nullptr;
    if (accepted) return follow<SslConnected>(monitor, std::move(_ssl), std::move(_out));
    _parent->onError(this, "TLS connection has been rejected", true);
    if (!monitor.valid() || !self.valid()) return nullptr;
    // the rejected peer still gets a TLS close
    return follow<SslShutdown>(monitor, std::move(_ssl));
}

TcpState* SslHandshake::reportError(const Monitor& monitor, const char* message) {
    Monitor self(this);
    _parent->onError(this, message, true);
    if (!monitor.valid() || !self.valid()) return nullptr;
    return new TcpClosed(this);
}

} // namespace AMQP
