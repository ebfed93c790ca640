#include "amqp/tcp/tcpstream.h"

#include "amqp/monitor.h"
#include "amqp/tcp/tcpparent.h"

namespace AMQP {

TcpStream::TcpStream(TcpExtState* previous, TcpOutBuffer&& output)
    : TcpExtState(previous), _out(std::move(output)), _in(4096) {}

bool TcpStream::alive(const Monitor& connection, const Monitor& state) {
    return connection.valid() && state.valid();
}

TcpState* TcpStream::parse(const Monitor& monitor) {
    // the parser's callbacks may replace or destroy this state: the bytes
    // live in a local buffer meanwhile
    Monitor self(this);
    TcpInBuffer buffer(std::move(_in));
    size_t consumed = _parent->onReceived(this, buffer);
    if (!alive(monitor, self)) return nullptr;
    buffer.shrink(consumed);
    _in = std::move(buffer);
    if (_reallocate != 0) {
        _in.reallocate(_reallocate);
        _reallocate = 0;
    }
    return this;
}

} // namespace AMQP
