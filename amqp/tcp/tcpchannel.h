// A channel on a TCP connection.
#pragma once

#include "amqp/channel.h"
#include "amqp/tcp/tcpconnection.h"

namespace AMQP {

class TcpChannel : public Channel {
public:
    explicit TcpChannel(TcpConnection* connection) : Channel(connection->connection()) {}
};

} // namespace AMQP
