// A transport state that may own the socket. Following states take the
// socket over, so exactly one state owns it; the owner's destruction
// releases it.
#pragma once

#include "amqp/tcp/tcpstate.h"

namespace AMQP {

class TcpExtState : public TcpState {
public:
    explicit TcpExtState(TcpParent* parent) : TcpState(parent) {}
    // takes the previous state's socket, leaving it none
    explicit TcpExtState(TcpExtState* previous);
    ~TcpExtState() override { cleanup(); }

    int fileno() const override { return _fd; }

protected:
    // releases the socket: stops watching it, closes it, reports it lost
    void cleanup();
    // gives the socket back to the state it was taken from, for a following
    // state whose construction failed
    void handBack(TcpExtState* previous);

    int _fd = -1;
};

} // namespace AMQP
