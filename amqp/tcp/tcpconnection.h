// One AMQP connection to a broker over TCP: joins the protocol connection to
// a socket whose events the user's TcpHandler watches.
#pragma once

#include <cstddef>
#include <cstdint>
#include <exception>
#include <memory>
#include <string>

#include "amqp/connection.h"
#include "amqp/connectionhandler.h"
#include "amqp/tcp/tcpparent.h"

namespace AMQP {

class Address;
class TcpHandler;
class TcpState;

class TcpConnection : private ConnectionHandler, private TcpParent {
public:
    // starts resolving and connecting at once; throws when the resolver's
    // pipe cannot be made, or what the handler's first monitor() or its
    // onAttached throws (the handler has then heard that the connection
    // detached). A close or fail asked for inside that first monitor() is
    // carried out once the protocol connection is built.
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
    bool heartbeat();

    // whether the AMQP handshake is over: the connection is or was ready (one
    // that failed before is not)
    bool handshaked() const { return _ready; }

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
    // The one road into the handler: nothing goes there once it is gone,
    // nor once it heard the detach (but a watch's stop, afterDetach); what
    // it throws while a state is dropped, inside a destructor that cannot
    // let it pass, is held for drop(). False when the call destroyed this
    // object.
    template <typename Call>
    bool tell(Call&& call, bool afterDetach = false);
    // tells the handler, once, that no more calls come for this attempt
    void detach();
    // the socket goes at once, without the peer's end: the handler hears it
    // lost and detached
    void abandon();
    // the handler stops watching the socket and hears the detach, if it did
    // not yet; nothing reaches it afterwards
    void leave() noexcept;
    // destroys a state that was replaced, whose destructor stops its
    // watches and releases its socket, reporting the end: an exception the
    // handler threw there was held, and goes on from here, once the state
    // is gone, as any callback's does
    void drop(std::unique_ptr<TcpState> state);

    // cleared when destruction starts: no callback reaches the user then
    TcpHandler* _handler;
    // the handler was told that the connection detached; before the state,
    // whose construction may ask closed() already
    bool _detached = false;
    // what the handler threw inside a state's destructor, which cannot let
    // it pass; before the state too
    std::exception_ptr _thrown;
    // states being dropped now (their destructors report to the handler)
    int _dropping = 0;
    // the protocol connection is built: before, a close asked for by the
    // handler's first monitor() waits in _asked
    bool _built = false;
    enum class Asked { nothing, orderly, immediate };
    Asked _asked = Asked::nothing;
    std::string _askedReason;
    // the AMQP handshake was over once
    bool _ready = false;
    // null until start() made the first one, as the protocol connection is
    // built
    std::unique_ptr<TcpState> _state;
    Connection _connection;
};

} // namespace AMQP
