// The transport state of a TLS close: sends the close notification, waits
// for the peer's, then gives way to the closed state, which releases the
// socket. No failure is reported from here.
#pragma once

#include "amqp/tcp/sslwrapper.h"
#include "amqp/tcp/tcpextstate.h"

namespace AMQP {

class SslShutdown : public TcpExtState {
public:
    SslShutdown(TcpExtState* previous, SslWrapper&& ssl);

    TcpState* process(const Monitor& monitor, int fd, int flags) override;

private:
    TcpState* repeat(int result);
    TcpState* proceed();

    SslWrapper _ssl;
};

} // namespace AMQP
