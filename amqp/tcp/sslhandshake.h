// The transport state of a TLS client handshake on a connected socket: sends
// the host name as server name, lets the handler prepare and then judge the
// handshake, and keeps what the protocol sends until the handshake is over.
#pragma once

#include "amqp/monitor.h"
#include "amqp/tcp/sslcontext.h"
#include "amqp/tcp/sslwrapper.h"
#include "amqp/tcp/tcpextstate.h"
#include "amqp/tcp/tcpoutbuffer.h"

#include <string>

namespace AMQP {

class SslHandshake : public TcpExtState {
public:
    // takes the previous state's socket and queued output; throws
    // std::runtime_error when the TLS objects cannot be made or the handler
    // refuses them (the socket then goes back to the previous state, whose
    // owner reports the failure before the socket's release). A handler that
    // ends the connection inside onSecuring or its first monitor() leaves a
    // state whose socket goes unreported, which the owner drops without
    // installing it.
    SslHandshake(TcpExtState* previous, const std::string& host, TcpOutBuffer&& output);

    size_t queued() const override { return _out.size(); }
    TcpState* process(const Monitor& monitor, int fd, int flags) override;
    // queued until the handshake is over
    void send(const char* data, size_t size) override { _out.add(data, size); }
    void sendPieces(const OutPiece* pieces, size_t count, const Keeper& keeper) override {
        _out.add(pieces, count, 0, keeper);
    }

private:
    TcpState* step(const Monitor& monitor);
    // the handshake completed: the handler accepts the peer or rejects it
    TcpState* nextstate(const Monitor& monitor);
    TcpState* reportError(const Monitor& monitor, const char* message);

    SslContext _context;
    SslWrapper _ssl;
    TcpOutBuffer _out;
};

} // namespace AMQP
