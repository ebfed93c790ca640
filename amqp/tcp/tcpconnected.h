// The transport state of a plain TCP socket after the connect: writes what
// the protocol sends, reads what the parser expects, and closes in order.
#pragma once

#include "amqp/tcp/tcpextstate.h"
#include "amqp/tcp/tcpinbuffer.h"
#include "amqp/tcp/tcpoutbuffer.h"

namespace AMQP {

class TcpConnected : public TcpExtState {
public:
    // takes the previous state's socket and the output queued so far, and
    // tries to write that output at once
    TcpConnected(TcpExtState* previous, TcpOutBuffer&& output);

    size_t queued() const override { return _out.size(); }
    TcpState* process(const Monitor& monitor, int fd, int flags) override;
    void send(const char* data, size_t size) override;
    void sendPieces(const OutPiece* pieces, size_t count, const Keeper& keeper) override;
    void close() override;
    void maxframe(size_t size) override { _reallocate = size; }

private:
    // whether a read or write result ends the connection (reporting it
    // unless the end was asked for)
    bool reportError(long result);
    // hands the input to the parser
    TcpState* parse(const Monitor& monitor);

    TcpOutBuffer _out;
    TcpInBuffer _in;
    // frame size to give the input buffer after the current parse; 0: none
    size_t _reallocate = 0;
    bool _closed = false;
};

} // namespace AMQP
