// A transport state that may own the socket. Following states take the
// socket over, so exactly one state owns it; the owner's destruction
// releases it.
#pragma once

#include "amqp/monitor.h"
#include "amqp/tcp/tcpstate.h"

#include <memory>
#include <utility>

namespace AMQP {

class TcpExtState : public TcpState {
public:
    explicit TcpExtState(TcpParent* parent);
    // Takes the previous state's socket, leaving it none. Until the
    // constructor of the following state calls taken(), the socket is only
    // lent: a constructor that throws gives it back, and one during which the
    // previous state died (a callback ended or destroyed the connection,
    // which detached) closes it unreported.
    explicit TcpExtState(TcpExtState* previous);
    ~TcpExtState() override;

    int fileno() const override { return _fd; }

protected:
    // releases the socket: stops watching it, closes it, reports it lost
    // (to a connection that survived the stop, else unreported)
    void cleanup();

    // whether the connection this state reports to still exists: a report
    // made from a destructor may have ended in the handler destroying it
    bool reporting() const { return _owner.valid(); }

    // whether the state the socket came from still stands
    bool standing() const { return _standing.valid(); }
    // the construction is over: the socket stays, unless the previous state
    // died meanwhile
    void taken() { _lent = _lent && !standing(); }

    // Builds the state that follows this one, which takes the socket over.
    // Null when a callback of its construction ended or destroyed the
    // connection, this state with it: the new state then goes at once and
    // nothing reaches the handler any more.
    template <typename Next, typename... Arguments>
    TcpState* follow(const Monitor& connection, Arguments&&... arguments) {
        Monitor self(this);
        std::unique_ptr<TcpState> next(new Next(this, std::forward<Arguments>(arguments)...));
        if (!connection.valid() || !self.valid()) return nullptr;
        return next.release();
    }

    int _fd = -1;

private:
    TcpExtState* _previous;
    Monitor _standing;
    Monitor _owner;
    bool _lent = false;
};

} // namespace AMQP
