// What the connected transport states, plain and TLS, share: the output still
// to be written, and the input, handed to the parser in one step that also
// applies a frame size negotiated meanwhile.
#pragma once

#include "amqp/tcp/tcpextstate.h"
#include "amqp/tcp/tcpinbuffer.h"
#include "amqp/tcp/tcpoutbuffer.h"

namespace AMQP {

class TcpStream : public TcpExtState {
public:
    size_t queued() const override { return _out.size(); }
    void maxframe(size_t size) override { _reallocate = size; }

protected:
    // takes the previous state's socket and the output queued so far
    TcpStream(TcpExtState* previous, TcpOutBuffer&& output);

    // whether the connection and this state survived a report; nothing of the
    // state may be touched (not even a member call) when it did not
    static bool alive(const Monitor& connection, const Monitor& state);

    // hands the input to the parser; null when the connection (watched by
    // monitor) or this state died meanwhile
    TcpState* parse(const Monitor& monitor);

    TcpOutBuffer _out;
    TcpInBuffer _in;

private:
    // frame size to give the input buffer after the current parse; 0: none
    size_t _reallocate = 0;
};

} // namespace AMQP
