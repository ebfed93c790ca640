// The event bits a TCP connection asks its handler to watch for, and that the
// loop reports back to TcpConnection::process.
#pragma once

namespace AMQP {

// the descriptor has bytes to read (or the peer closed it)
constexpr int readable = 1;
// the descriptor accepts bytes to write
constexpr int writable = 2;

} // namespace AMQP
