// The transport state of an established TLS connection: encrypted reads and
// writes with OpenSSL's non-blocking retries, and the move to the TLS close
// once an orderly close has flushed the output.
#pragma once

#include "amqp/tcp/sslwrapper.h"
#include "amqp/tcp/tcpstream.h"

namespace AMQP {

class SslConnected : public TcpStream {
public:
    // takes the previous state's socket, the TLS object and the output queued
    // so far (at least the protocol header), which it writes first
    SslConnected(TcpExtState* previous, SslWrapper&& ssl, TcpOutBuffer&& output);

    TcpState* process(const Monitor& monitor, int fd, int flags) override;
    void send(const char* data, size_t size) override;
    void sendPieces(const OutPiece* pieces, size_t count, const Keeper& keeper) override;
    void close() override;

private:
    // what the connection waits for
    enum class State {
        idle,
        // an SSL_write must be repeated
        sending,
        // an SSL_read must be repeated (it has to write first)
        receiving,
        // a failure was reported; the next event ends the connection
        error
    };

    TcpState* step(const Monitor& monitor, int flags);
    TcpState* write(const Monitor& monitor);
    TcpState* receive(const Monitor& monitor);
    // watches what is needed next, or moves on to the TLS close
    TcpState* proceed(const Monitor& monitor);
    // what to wait for after a read or write that did not complete; false
    // after reporting a failure
    bool repeat(State state, int error);
    TcpState* repeat(const Monitor& monitor, State state, int error);
    // ends the connection after a failure that was reported
    TcpState* fail(const Monitor& monitor, const char* message);
    bool isReadable() const;
    bool isWritable() const;

    SslWrapper _ssl;
    State _state;
    bool _closed = false;
};

} // namespace AMQP
