// One AMQP connection to a broker over TCP: joins the protocol connection to
// a socket whose events the user's TcpHandler watches.
#pragma once

#include <cstddef>
#include <cstdint>
#include <exception>
#include <memory>

#include "amqp/connection.h"
#include "amqp/connectionhandler.h"
#include "amqp/tcp/tcpparent.h"
#include "amqp/watchable.h"

namespace AMQP {

class Address;
class TcpHandler;
class TcpState;

class TcpConnection : private ConnectionHandler, private Watchable, private TcpParent {
public:
    // starts resolving and connecting at once; throws when the resolver's
    // pipe cannot be made, or what the handler's first monitor() or its
    // onAttached throws (the handler has then heard that the connection
    // detached)
    TcpConnection(TcpHandler* handler, const Address& address);
    TcpConnection(const TcpConnection&) = delete;
    TcpConnection& operator=(const TcpConnection&) = delete;
    // stops watching the socket and closes it; a handler that was not told
    // yet learns that the connection detached (what it throws then is
    // dropped: there is no connection left to end)
    ~TcpConnection() override;

    // the socket, -1 when there is none
    int fileno() const;
    // bytes not yet written
    size_t queued() const;
    // whether the transport has ended (so once the handler heard the detach)
    bool closed() const;

    // fd is ready for the events in flags (readable, writable)
    void process(int fd, int flags);

    // orderly (the AMQP close handshake) or immediate
    bool close(bool immediate = false);
    // closes at once, reporting message as the connection's error
    bool fail(const char* message);

    // sends one heartbeat frame
    bool heartbeat() { return _connection.heartbeat(); }

    // whether the AMQP handshake is over (the connection is or was ready)
    bool handshaked();

    // the protocol connection, for channels
    Connection* connection() { return &_connection; }

private:
    // ConnectionHandler
    void onProperties(Connection* connection, const Table& server, Table& client) override;
    uint16_t onNegotiate(Connection* connection, uint16_t interval) override;
    void onData(Connection* connection, const char* buffer, size_t size) override;
    void onPieces(Connection* connection, const OutPiece* pieces, size_t count,
                  const Keeper& keeper) override;
    void onHeartbeat(Connection* connection) override;
    void onError(Connection* connection, const char* message) override;
    void onReady(Connection* connection) override;
    void onClosed(Connection* connection) override;
    void onBlocked(Connection* connection, const char* reason) override;
    void onUnblocked(Connection* connection) override;

    // TcpParent
    void onConnected(TcpState* state) override;
    bool onSecuring(TcpState* state, ssl_st* ssl) override;
    bool onSecured(TcpState* state, const ssl_st* ssl) override;
    size_t onReceived(TcpState* state, const Buffer& buffer) override;
    void onIdle(TcpState* state, int fd, int flags) override;
    void onError(TcpState* state, const char* message, bool connected) override;
    void onLost(TcpState* state) override;
    size_t expected() override;

    // installs the first state, the resolver; this for the protocol
    // connection
    ConnectionHandler* start(const Address& address);
    // tells the handler, once, that no more calls come for this attempt
    void detach();
    // the handler stops watching the socket and hears the detach, if it did
    // not yet; nothing reaches it afterwards
    void leave() noexcept;
    // destroys a state that was replaced, whose release of its socket
    // reports the end from its destructor: an exception the handler threw
    // there was held, and goes on from here once the handler heard the end
    void drop(std::unique_ptr<TcpState> state);

    // cleared when destruction starts: no callback reaches the user then
    TcpHandler* _handler;
    // the handler was told that the connection detached; before the state,
    // whose construction may ask closed() already
    bool _detached = false;
    // what the handler's onLost or onDetached threw inside a state's
    // destructor, which cannot let it pass; before the state too
    std::exception_ptr _thrown;
    // null until start() made the first one, as the protocol connection is
    // built
    std::unique_ptr<TcpState> _state;
    Connection _connection;
};

} // namespace AMQP
