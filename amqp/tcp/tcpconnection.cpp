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
    _built = true;
    try {
        // what the first monitor() asked for, now that there is something
        // to close
        if (_asked == Asked::immediate) fail(_askedReason.c_str());
        if (_asked == Asked::orderly) _connection.close();
        tell([this] { _handler->onAttached(this); });
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

template <typename Call>
bool TcpConnection::tell(Call&& call, bool afterDetach) {
    if (!_handler || (_detached && !afterDetach)) return true;
    Monitor monitor(this);
    if (_dropping == 0) {
        call();
        return monitor.valid();
    }
    try {
        call();
    } catch (...) {
        // the first one is reported, unless the handler destroyed the
        // connection
        if (monitor.valid() && !_thrown) _thrown = std::current_exception();
    }
    return monitor.valid();
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
    // no state yet: the first one is being built
    return _state ? _state->fileno() : -1;
}

size_t TcpConnection::queued() const {
    return _state ? _state->queued() : 0;
}

bool TcpConnection::closed() const {
    // A failed resolver detaches before the closed state replaces it. No
    // state yet: the first one is being built.
    return _detached || (_state != nullptr && _state->closed());
}

bool TcpConnection::heartbeat() {
    return _built && _connection.heartbeat();
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
    if (!_built) {
        // inside the first monitor(), before the protocol connection exists
        if (_asked != Asked::nothing || _detached) return false;
        _asked = immediate ? Asked::immediate : Asked::orderly;
        _askedReason = "connection prematurely closed by client";
        return true;
    }
    if (!immediate) return _connection.close();
    return fail("connection prematurely closed by client");
}

bool TcpConnection::fail(const char* message) {
    if (!_built) {
        if (_asked == Asked::immediate || _detached) return false;
        _asked = Asked::immediate;
        _askedReason = message;
        return true;
    }
    Monitor monitor(this);
    bool failed = _connection.fail(message);
    if (!monitor.valid()) return true;
    if (failed && !tell([this, message] { _handler->onError(this, message); })) return true;
    abandon();
    return true;
}

void TcpConnection::abandon() {
    Monitor monitor(this);
    // the release of a socket the old state still holds reports it lost and
    // detaches; without a socket there is nothing to lose, only the detach
    std::unique_ptr<TcpState> old(std::move(_state));
    _state.reset(new TcpClosed(this));
    drop(std::move(old));
    if (monitor.valid() && _handler) detach();
}

void TcpConnection::drop(std::unique_ptr<TcpState> state) {
    Monitor monitor(this);
    ++_dropping;
    state.reset();
    if (!monitor.valid()) return;
    --_dropping;
    if (!_thrown || _dropping != 0) return;
    std::exception_ptr thrown = std::move(_thrown);
    _thrown = nullptr;
    // reported as any callback's exception is: it ends the connection
    // unless that ended already
    std::rethrow_exception(thrown);
}

void TcpConnection::onProperties(Connection*, const Table& server, Table& client) {
    tell([&] { _handler->onProperties(this, server, client); });
}

uint16_t TcpConnection::onNegotiate(Connection*, uint16_t interval) {
    _state->maxframe(_connection.maxFrame());
    uint16_t answer = interval;
    tell([&] { answer = _handler->onNegotiate(this, interval); });
    return answer;
}

void TcpConnection::onData(Connection*, const char* buffer, size_t size) {
    _state->send(buffer, size);
}

void TcpConnection::onPieces(Connection*, const OutPiece* pieces, size_t count, const Keeper& keeper) {
    _state->sendPieces(pieces, count, keeper);
}

void TcpConnection::onHeartbeat(Connection*) {
    tell([this] { _handler->onHeartbeat(this); });
}

void TcpConnection::onError(Connection*, const char* message) {
    if (!tell([this, message] { _handler->onError(this, message); })) return;
    // bytes that cannot be framed: the peer is to get nothing more, not
    // even the end of our writing, and the socket goes at once
    if (_connection.implementation()->severed()) return abandon();
    _state->close();
}

void TcpConnection::onReady(Connection*) {
    _ready = true;
    tell([this] { _handler->onReady(this); });
}

void TcpConnection::onClosed(Connection*) {
    Monitor monitor(this);
    // the state's close may ask the handler to watch the socket anew, and
    // its monitor() may end the connection there
    _state->close();
    if (monitor.valid()) tell([this] { _handler->onClosed(this); });
}

void TcpConnection::onBlocked(Connection*, const char* reason) {
    tell([this, reason] { _handler->onBlocked(this, reason); });
}

void TcpConnection::onUnblocked(Connection*) {
    tell([this] { _handler->onUnblocked(this); });
}

void TcpConnection::onConnected(TcpState*) {
    tell([this] { _handler->onConnected(this); });
}

bool TcpConnection::onSecuring(TcpState*, ssl_st* ssl) {
    bool accepted = false;
    tell([&] { accepted = _handler->onSecuring(this, ssl); });
    return accepted;
}

bool TcpConnection::onSecured(TcpState*, const ssl_st* ssl) {
    bool accepted = false;
    tell([&] { accepted = _handler->onSecured(this, ssl); });
    return accepted;
}

size_t TcpConnection::onReceived(TcpState*, const Buffer& buffer) {
    return _connection.parse(buffer);
}

void TcpConnection::onIdle(TcpState*, int fd, int flags) {
    // a watch that stops goes out even after the detach: the handler may
    // still watch the descriptor
    tell([this, fd, flags] { _handler->monitor(this, fd, flags); }, flags == 0);
}

void TcpConnection::onError(TcpState*, const char* message, bool connected) {
    if (!_handler) return;
    Monitor monitor(this);
    bool failed = _connection.fail(message);
    if (!monitor.valid()) return;
    if (failed && !tell([this, message] { _handler->onError(this, message); })) return;
    if (!connected && _handler) detach();
}

void TcpConnection::onLost(TcpState*) {
    // reported from the destructor of the state that let the socket go
    if (tell([this] { _handler->onLost(this); }) && _handler) detach();
}

void TcpConnection::detach() {
    // the end of an attempt may come here by two roads (a socket's release,
    // and a close the handler asked for meanwhile): it is told once
    if (_detached) return;
    _detached = true;
    tell([this] { _handler->onDetached(this); }, true);
}

size_t TcpConnection::expected() {
    return _connection.expected();
}

} // namespace AMQP
