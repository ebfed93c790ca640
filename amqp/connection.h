// One AMQP connection over any byte transport: the user feeds it the
// broker's bytes and writes out what it hands to the handler's onData.
#pragma once

#include <cstdint>
#include <string>

#include "amqp/connectionimpl.h"

namespace AMQP {

class Buffer;
class ConnectionHandler;
class Login;

class Connection {
public:
    // the protocol header reaches handler->onData before this returns
    Connection(ConnectionHandler* handler, const Login& login, const std::string& vhost);
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;
    virtual ~Connection() = default;

    // processes the whole frames at the start of buffer; the bytes consumed
    uint64_t parse(const Buffer& buffer) { return _implementation.parse(buffer); }

    // the bytes the transport should have before the next parse
    uint32_t expected() const { return _implementation.expected(); }
    uint32_t maxFrame() const { return _implementation.maxFrame(); }
    bool usable() const { return _implementation.usable(); }
    // the handshake is over and the close has not begun
    bool ready() const { return _implementation.ready(); }
    bool closed() const { return _implementation.closed(); }

    // the orderly close: channels first, then the connection
    bool close() { return _implementation.close(); }
    // the transport lost or gave up the connection
    bool fail(const char* message) { return _implementation.fail(message); }
    bool heartbeat() { return _implementation.heartbeat(); }

    ConnectionImpl* implementation() { return &_implementation; }

private:
    ConnectionImpl _implementation;
};

} // namespace AMQP
