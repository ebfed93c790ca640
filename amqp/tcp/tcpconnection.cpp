#include "amqp/tcp/tcpconnection.h"

#include "amqp/address.h"
#include "amqp/connectionimpl.h"
#include "amqp/monitor.h"
#include "amqp/tcp/connectionorder.h"
#include "amqp/tcp/tcpclosed.h"
#include "amqp/tcp/tcphandler.h"
#include "amqp/tcp/tcpresolver.h"

namespace AMQP {

TcpConnection::TcpConnection(TcpHandler* handler, const Address& address)
    : _handler(handler), _connection(start(address), address.login(), address.vhost()) {
    if (!_handler) return;
    try {
        _handler->onAttached(this);
    } catch (...) {
        // the object is never finished and its destructor does not run: the
        // handler, which already watches the resolver's pipe, hears the end
        leave();
        throw;
    }
}

ConnectionHandler* TcpConnection::start(const Address& address) {
    // The resolver is there before the protocol connection, whose header
    // waits in it. Its constructor already asks the handler to watch its
    // pipe, and a handler may ask whether the connection is closed then.
    try {
        _state.reset(new TcpResolver(this, address.hostname(), address.port(), address.secure(),
                                     address.option<int>("connectTimeout", 5),
                                     ConnectionOrder(address.option("connectionOrder"))));
    } catch (...) {
        // a handler that took the watch and then threw (or whose watch was
        // followed by a worker that could not start) would keep its
        // watcher and timer for a connection that never was
        leave();
        throw;
    }
    return this;
}

TcpConnection::~TcpConnection() {
    leave();
    // members go in reverse order: the protocol connection (whose close
    // frame is dropped), then the state, which closes its socket
}

void TcpConnection::leave() noexcept {
    // what the handler throws here has nowhere to go: the connection is
    // going anyway
    try {
        if (_handler && _state && fileno() >= 0) _handler->monitor(this, fileno(), 0);
    } catch (...) {
    }
    // a handler that still keeps watchers or a timer for this connection
    // (the resolver's pipe, the set-up limit) must drop them now, or they
    // would fire into a destroyed object
    try {
        if (_handler) detach();
    } catch (...) {
    }
    _handler = nullptr;
}

int TcpConnection::fileno() const {
    return _state->fileno();
}

size_t TcpConnection::queued() const {
    return _state->queued();
}

bool TcpConnection::closed() const {
    // A failed resolver detaches before the closed state replaces it. No
    // state yet: the first one is being built.
    return _detached || (_state != nullptr && _state->closed());
}

bool TcpConnection::handshaked() {
    ConnectionImpl* implementation = _connection.implementation();
    return implementation->ready() || implementation->closing() || implementation->closed();
}

void TcpConnection::process(int fd, int flags) {
    Monitor monitor(this);
    TcpState* current = _state.get();
    TcpState* next = current->process(monitor, fd, flags);
    // null: this object or the state died during the call; the state may
    // also have been replaced by an abrupt close meanwhile
    if (next == nullptr || !monitor.valid()) return;
    if (next == current) return;
    if (_state.get() != current) return drop(std::unique_ptr<TcpState>(next));
    // installed first, so that the old state's release of its socket
    // reports to a connection that is already in its new state
    std::unique_ptr<TcpState> old(std::move(_state));
    _state.reset(next);
    drop(std::move(old));
}

bool TcpConnection::close(bool immediate) {
    if (!immediate) return _connection.close();
    return fail("connection prematurely closed by client");
}

bool TcpConnection::fail(const char* message) {
    Monitor monitor(this);
    bool failed = _connection.fail(message);
    if (!monitor.valid()) return true;
    if (failed && _handler) _handler->onError(this, message);
    if (!monitor.valid()) return true;
    // the release of a socket the old state still holds reports it lost and
    // detaches; without a socket there is nothing to lose, only the detach
    std::unique_ptr<TcpState> old(std::move(_state));
    _state.reset(new TcpClosed(this));
    drop(std::move(old));
    if (monitor.valid() && _handler) detach();
    return true;
}

void TcpConnection::drop(std::unique_ptr<TcpState> state) {
    Monitor monitor(this);
    state.reset();
    if (!monitor.valid() || !_thrown) return;
    std::exception_ptr thrown = std::move(_thrown);
    _thrown = nullptr;
    // an onLost that threw left the detach undone
    if (_handler) detach();
    std::rethrow_exception(thrown);
}

void TcpConnection::onProperties(Connection*, const Table& server, Table& client) {
    if (_handler) _handler->onProperties(this, server, client);
}

uint16_t TcpConnection::onNegotiate(Connection*, uint16_t interval) {
    _state->maxframe(_connection.maxFrame());
    return _handler ? _handler->onNegotiate(this, interval) : interval;
}

void TcpConnection::onData(Connection*, const char* buffer, size_t size) {
    _state->send(buffer, size);
}

void TcpConnection::onPieces(Connection*, const OutPiece* pieces, size_t count, const Keeper& keeper) {
    _state->sendPieces(pieces, count, keeper);
}

void TcpConnection::onHeartbeat(Connection*) {
    if (_handler) _handler->onHeartbeat(this);
}

void TcpConnection::onError(Connection*, const char* message) {
    Monitor monitor(this);
    if (_handler) _handler->onError(this, message);
    if (monitor.valid()) _state->close();
}

void TcpConnection::onReady(Connection*) {
    if (_handler) _handler->onReady(this);
}

void TcpConnection::onClosed(Connection*) {
    Monitor monitor(this);
    // the state's close may ask the handler to watch the socket anew, and
    // its monitor() may end the connection there
    _state->close();
    if (monitor.valid() && _handler && !_detached) _handler->onClosed(this);
}

void TcpConnection::onBlocked(Connection*, const char* reason) {
    if (_handler) _handler->onBlocked(this, reason);
}

void TcpConnection::onUnblocked(Connection*) {
    if (_handler) _handler->onUnblocked(this);
}

void TcpConnection::onConnected(TcpState*) {
    if (_handler) _handler->onConnected(this);
}

bool TcpConnection::onSecuring(TcpState*, ssl_st* ssl) {
    return _handler && _handler->onSecuring(this, ssl);
}

bool TcpConnection::onSecured(TcpState*, const ssl_st* ssl) {
    return _handler && _handler->onSecured(this, ssl);
}

size_t TcpConnection::onReceived(TcpState*, const Buffer& buffer) {
    return _connection.parse(buffer);
}

void TcpConnection::onIdle(TcpState*, int fd, int flags) {
    if (_handler) _handler->monitor(this, fd, flags);
}

void TcpConnection::onError(TcpState*, const char* message, bool connected) {
    if (!_handler) return;
    Monitor monitor(this);
    bool failed = _connection.fail(message);
    if (!monitor.valid()) return;
    if (failed && _handler) _handler->onError(this, message);
    if (!connected && monitor.valid() && _handler) detach();
}

void TcpConnection::onLost(TcpState*) {
    if (!_handler || _detached) return;
    Monitor monitor(this);
    // reported from the destructor of the state that let the socket go
    try {
        _handler->onLost(this);
        if (monitor.valid() && _handler) detach();
    } catch (...) {
        // held for drop(), unless the handler destroyed the connection
        if (monitor.valid()) _thrown = std::current_exception();
    }
}

void TcpConnection::detach() {
    // the end of an attempt may come here by two roads (a socket's release,
    // and a close the handler asked for meanwhile): it is told once
    if (_detached) return;
    _detached = true;
    _handler->onDetached(this);
}

size_t TcpConnection::expected() {
    return _connection.expected();
}

} // namespace AMQP
