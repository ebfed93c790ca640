// What the user of a TcpConnection implements: which descriptors to watch
// (monitor, the only mandatory operation) and how it learns of the
// connection's events.
#pragma once

#include <cstdint>

struct ssl_st;

namespace AMQP {

class Table;
class TcpConnection;

class TcpHandler {
public:
    virtual ~TcpHandler() = default;

    // the connection was built and has started connecting
    virtual void onAttached(TcpConnection* connection) { (void)connection; }

    // the TCP connect succeeded (before any TLS)
    virtual void onConnected(TcpConnection* connection) { (void)connection; }

    // the TLS object exists, before its handshake; false aborts
    virtual bool onSecuring(TcpConnection* connection, ssl_st* ssl) {
        (void)connection, (void)ssl;
        return true;
    }

    // the TLS handshake completed; false rejects the peer
    virtual bool onSecured(TcpConnection* connection, const ssl_st* ssl) {
        (void)connection, (void)ssl;
        return true;
    }

    // the broker's properties arrived; client properties may be filled
    virtual void onProperties(TcpConnection* connection, const Table& server, Table& client) {
        (void)connection, (void)server, (void)client;
    }

    // the broker proposes a heartbeat interval (seconds); the answer is used
    virtual uint16_t onNegotiate(TcpConnection* connection, uint16_t interval) {
        (void)connection;
        return interval;
    }

    // the AMQP handshake completed
    virtual void onReady(TcpConnection* connection) { (void)connection; }

    // a heartbeat frame arrived
    virtual void onHeartbeat(TcpConnection* connection) { (void)connection; }

    // the connection failed (reported once, for its first failure)
    virtual void onError(TcpConnection* connection, const char* message) { (void)connection, (void)message; }

    // the AMQP close handshake completed
    virtual void onClosed(TcpConnection* connection) { (void)connection; }

    virtual void onBlocked(TcpConnection* connection, const char* reason) { (void)connection, (void)reason; }
    virtual void onUnblocked(TcpConnection* connection) { (void)connection; }

    // the socket of a connection that was up was closed (at most once)
    virtual void onLost(TcpConnection* connection) { (void)connection; }

    // the connection makes no further calls to the handler for this attempt
    // (exactly once, however the attempt ended)
    virtual void onDetached(TcpConnection* connection) { (void)connection; }

    // watch fd for the given events (readable, writable; 0: stop watching)
    // and call connection->process when it is ready
    virtual void monitor(TcpConnection* connection, int fd, int flags) = 0;
};

} // namespace AMQP
