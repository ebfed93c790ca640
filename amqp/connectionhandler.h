// What the user of a Connection implements: where the connection's bytes go
// and how it learns of the connection's events. Only onData must be given.
#pragma once

#include <cstddef>
#include <cstdint>

#include "amqp/buffers/outpiece.h"

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

    // bytes for the broker in several pieces, in order, best written with
    // one call; keeper holds the lasting ones alive for as long as a writer
    // refers to them. By default each piece goes to onData.
    virtual void onPieces(Connection* connection, const OutPiece* pieces, size_t count,
                          const Keeper& keeper) {
        (void)keeper;
        for (size_t i = 0; i < count; ++i)
            onData(connection, pieces[i].data, pieces[i].size);
    }

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
