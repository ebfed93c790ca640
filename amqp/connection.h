// One AMQP connection over any byte transport: the user feeds it the
// broker's bytes and writes out what it hands to the handler's onData.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace AMQP {

class Buffer;
class ConnectionHandler;
class ConnectionImpl;
class Login;

class Connection {
public:
    // the protocol header reaches handler->onData before this returns
    Connection(ConnectionHandler* handler, const Login& login, const std::string& vhost);
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;
    ~Connection();

    // processes the whole frames at the start of buffer; the bytes consumed
    uint64_t parse(const Buffer& buffer);

    // the bytes the transport should have before the next parse
    uint32_t expected() const;
    uint32_t maxFrame() const;
    bool usable() const;
    // the handshake is over and the close has not begun
    bool ready() const;
    bool closed() const;

    // the orderly close: channels first, then the connection
    bool close();
    // the transport lost or gave up the connection
    bool fail(const char* message);
    bool heartbeat();

    ConnectionImpl* implementation() { return _implementation.get(); }

private:
    // behind a pointer so that callers need not see the engine
    std::unique_ptr<ConnectionImpl> _implementation;
};

} // namespace AMQP
