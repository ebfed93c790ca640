// The transport state of a plain TCP socket after the connect: writes what
// the protocol sends, reads what the parser expects, and closes in order.
#pragma once

#include "amqp/tcp/tcpstream.h"

namespace AMQP {

class TcpConnected : public TcpStream {
public:
    // takes the previous state's socket and the output queued so far, and
    // tries to write that output at once
    TcpConnected(TcpExtState* previous, TcpOutBuffer&& output);

    TcpState* process(const Monitor& monitor, int fd, int flags) override;
    void send(const char* data, size_t size) override;
    void sendPieces(const OutPiece* pieces, size_t count, const Keeper& keeper) override;
    void close() override;

private:
    // whether a read or write result ends the connection (reporting it
    // unless the end was asked for)
    bool reportError(long result);

    bool _closed = false;
};

} // namespace AMQP
