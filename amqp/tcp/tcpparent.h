// What a transport state reports to the connection that owns it.
#pragma once

#include <cstddef>

#include "amqp/watchable.h"

struct ssl_st;

namespace AMQP {

class Buffer;
class TcpState;

// Watchable: a report may end in the handler destroying the connection,
// which a state that goes on afterwards (its destructor releasing the
// socket) has to notice.
class TcpParent : public Watchable {
public:
    virtual ~TcpParent() = default;

    // the socket is connected
    virtual void onConnected(TcpState* state) = 0;
    // permission to start TLS on this TLS object
    virtual bool onSecuring(TcpState* state, ssl_st* ssl) = 0;
    // acceptance of a completed TLS handshake
    virtual bool onSecured(TcpState* state, const ssl_st* ssl) = 0;
    // received bytes for the parser; returns how many it consumed
    virtual size_t onReceived(TcpState* state, const Buffer& buffer) = 0;
    // the events wanted on fd changed (0: stop watching it)
    virtual void onIdle(TcpState* state, int fd, int flags) = 0;
    // the transport failed; connected is false when no socket ever existed
    virtual void onError(TcpState* state, const char* message, bool connected) = 0;
    // the socket has been closed
    virtual void onLost(TcpState* state) = 0;
    // bytes the parser needs to complete what it is reading
    virtual size_t expected() = 0;

protected:
    TcpParent() = default;
};

} // namespace AMQP
