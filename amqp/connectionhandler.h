// What the user of a Connection implements: where the connection's bytes go
// and how it learns of the connection's events. Only onData must be given.
#pragma once

#include <cstddef>
#include <cstdint>

namespace AMQP {

class Connection;
class Table;

class ConnectionHandler {
public:
    virtual ~ConnectionHandler() = default;

    // the broker's server properties; client starts empty and may be filled
    virtual void onProperties(Connection* connection, const Table& server, Table& client) {
        (void)connection, (void)server, (void)client;
    }

    // the broker proposes a heartbeat interval in seconds; the answer is the
    // interval to use (0: none)
    virtual uint16_t onNegotiate(Connection* connection, uint16_t interval) {
        (void)connection, (void)interval;
        return 0;
    }

    // bytes for the broker, in order
    virtual void onData(Connection* connection, const char* buffer, size_t size) = 0;

    virtual void onHeartbeat(Connection* connection) { (void)connection; }

    // a protocol error or the broker's close
    virtual void onError(Connection* connection, const char* message) { (void)connection, (void)message; }

    // the handshake is complete
    virtual void onReady(Connection* connection) { (void)connection; }

    // the broker confirmed the close
    virtual void onClosed(Connection* connection) { (void)connection; }

    virtual void onBlocked(Connection* connection, const char* reason) { (void)connection, (void)reason; }
    virtual void onUnblocked(Connection* connection) { (void)connection; }
};

} // namespace AMQP
