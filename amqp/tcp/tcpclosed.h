// The final transport state: no socket, events ignored, data dropped.
#pragma once

#include "amqp/tcp/tcpstate.h"

namespace AMQP {

class TcpClosed : public TcpState {
public:
    explicit TcpClosed(TcpParent* parent) : TcpState(parent) {}
    explicit TcpClosed(const TcpState* previous) : TcpState(previous) {}

    bool closed() const override { return true; }
};

} // namespace AMQP
