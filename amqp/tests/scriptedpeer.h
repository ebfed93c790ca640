// A scripted broker for engine tests: an in-memory ConnectionHandler that
// records what the client writes and the events it reports, a feeder that
// plays the transport (whole or one byte at a time, keeping what parse did
// not consume), and the oracle's frames by name.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "amqp/connection.h"
#include "amqp/connectionhandler.h"
#include "amqp/login.h"

namespace AMQP::Test {

// the frame the oracle script computed under name
const std::string& oracle(const std::string& name);

class ScriptedHandler : public ConnectionHandler {
public:
    void onProperties(Connection*, const Table& server, Table& client) override;
    uint16_t onNegotiate(Connection*, uint16_t interval) override;
    void onData(Connection*, const char* buffer, size_t size) override;
    void onHeartbeat(Connection*) override { events.push_back("heartbeat"); }
    void onError(Connection*, const char* message) override;
    void onReady(Connection*) override;
    void onClosed(Connection*) override { events.push_back("closed"); }
    void onBlocked(Connection*, const char* reason) override {
        events.push_back(std::string("blocked:") + reason);
    }
    void onUnblocked(Connection*) override { events.push_back("unblocked"); }

    // what the client wrote since the last call
    std::string take();

    std::string written;
    std::vector<std::string> events;
    uint16_t heartbeat = 0;
    uint16_t proposed = 0;
    // run from inside the callbacks of the same name
    std::function<void(Table& client)> properties;
    std::function<void()> ready;
    std::function<void(const char*)> error;
    // run after each write of the client
    std::function<void()> data;
};

// Plays the transport: keeps the bytes parse did not consume and offers them
// again, followed by the new ones.
class Feeder {
public:
    Feeder(Connection& connection, bool bytewise) : _connection(connection), _bytewise(bytewise) {}

    void feed(const std::string& bytes);
    void feed(std::initializer_list<const char*> names);
    // bytes still waiting for the rest of their frame
    size_t pending() const { return _pending.size(); }

private:
    void consume();

    Connection& _connection;
    bool _bytewise;
    std::string _pending;
};

// a connection through the handshake, with its handler and feeder
struct Session {
    explicit Session(bool bytewise, const std::string& vhost = "/mail");
    // start, tune and open-ok from the broker; the client's answers are
    // taken from the handler
    void handshake();

    ScriptedHandler handler;
    std::unique_ptr<Connection> connection;
    Feeder feeder;
};

} // namespace AMQP::Test
