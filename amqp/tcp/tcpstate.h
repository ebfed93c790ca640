// One phase of a TCP connection's transport (resolving, connected, closed,
// ...). A state handles socket events and returns the state that follows it.
#pragma once

#include "amqp/buffers/outpiece.h"
#include "amqp/watchable.h"

#include <cstddef>

namespace AMQP {

class Monitor;
class TcpParent;

// Watchable: a callback may close the connection abruptly, which replaces
// (destroys) the state that is still running; it checks itself afterwards.
class TcpState : public Watchable {
public:
    explicit TcpState(TcpParent* parent) : _parent(parent) {}
    // a following state reports to the same parent
    explicit TcpState(const TcpState* previous) : _parent(previous->_parent) {}
    TcpState(const TcpState&) = delete;
    TcpState& operator=(const TcpState&) = delete;
    virtual ~TcpState() = default;

    // the socket, -1 when there is none
    virtual int fileno() const { return -1; }
    // bytes waiting to be written
    virtual size_t queued() const { return 0; }
    virtual bool closed() const { return false; }

    // fd is ready for the given events; returns the state that follows (this
    // one, a new one), or null when the connection (watched by monitor) or
    // this state was destroyed during the call
    virtual TcpState* process(const Monitor& monitor, int fd, int flags) {
        (void)monitor, (void)fd, (void)flags;
        return this;
    }

    // bytes to send; this base drops them
    virtual void send(const char* data, size_t size) { (void)data, (void)size; }

    // bytes in several pieces, in order; keeper holds the lasting pieces
    // alive. This base sends each piece on its own.
    virtual void sendPieces(const OutPiece* pieces, size_t count, const Keeper& keeper) {
        (void)keeper;
        for (size_t i = 0; i < count; ++i)
            send(pieces[i].data, pieces[i].size);
    }

    // begins an orderly close
    virtual void close() {}

    // the negotiated frame size is now known
    virtual void maxframe(size_t size) { (void)size; }

protected:
    TcpParent* _parent;
};

} // namespace AMQP
