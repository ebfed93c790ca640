// A LibEvHandler that records what its connections report, for tests that
// run a real connection on a private libev loop.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include <ev.h>

#include "amqp/tcp/libevhandler.h"
#include "amqp/tcp/tcpconnection.h"

namespace AMQP {

// reaches into a handler: its set-up limit, which no user can change, and
// the number of connections it keeps watchers and a timer for
class LibEvHandlerSeam {
public:
    static void setupLimit(LibEvHandler& handler, double seconds) { handler._setupLimit = seconds; }
    static size_t connections(const LibEvHandler& handler) { return handler._wrappers.size(); }
};

namespace Test {

class RecordingHandler : public LibEvHandler {
public:
    explicit RecordingHandler(struct ev_loop* loop) : LibEvHandler(loop, 0) {}

    void onAttached(TcpConnection* connection) override {
        events.push_back("attached");
        if (attached) attached(connection);
    }
    void onConnected(TcpConnection*) override { events.push_back("connected"); }
    void onReady(TcpConnection* connection) override {
        events.push_back("ready");
        if (ready) ready(connection);
    }
    uint16_t onNegotiate(TcpConnection* connection, uint16_t interval) override {
        proposed = interval;
        if (negotiating) negotiating(connection);
        return LibEvHandler::onNegotiate(connection, heartbeat >= 0 ? uint16_t(heartbeat) : interval);
    }
    void onHeartbeat(TcpConnection*) override { ++heartbeats; }
    void onError(TcpConnection* connection, const char* message) override {
        events.push_back(std::string("error ") + message);
        if (failed) failed(connection);
    }
    void onClosed(TcpConnection*) override { events.push_back("closed"); }
    void onLost(TcpConnection* connection) override {
        events.push_back("lost");
        if (lost) lost(connection);
    }
    void onDetached(TcpConnection* connection) override {
        events.push_back("detached");
        LibEvHandler::onDetached(connection);
        if (detached) detached(connection);
    }
    void monitor(TcpConnection* connection, int fd, int flags) override {
        if (flags == 0 || fd != lastFd) events.push_back("monitor " + std::to_string(flags));
        lastFd = fd;
        if (flags != 0 && watching && !watching(connection)) return;
        if (flags == 0 && unwatching && !unwatching(connection)) return;
        LibEvHandler::monitor(connection, fd, flags);
    }

    std::vector<std::string> events;
    std::function<void(TcpConnection*)> attached;
    std::function<void(TcpConnection*)> ready;
    // before the base class's answer to the broker's proposal
    std::function<void(TcpConnection*)> negotiating;
    std::function<void(TcpConnection*)> failed;
    std::function<void(TcpConnection*)> lost;
    // after the base class forgot the connection
    std::function<void(TcpConnection*)> detached;
    // a request to watch a descriptor, before the base class takes it;
    // false: the connection is gone, the base class is not asked
    std::function<bool(TcpConnection*)> watching;
    // the same for a request to stop watching one
    std::function<bool(TcpConnection*)> unwatching;
    // the interval to answer the broker with; -1: its own proposal
    int heartbeat = -1;
    int proposed = -1;
    int heartbeats = 0;
    int lastFd = -1;
};

// a private libev loop that gives up after a while so a test cannot hang
class TestLoop {
public:
    TestLoop() : _loop(ev_loop_new(EVFLAG_AUTO)) {}
    ~TestLoop() { ev_loop_destroy(_loop); }
    TestLoop(const TestLoop&) = delete;
    TestLoop& operator=(const TestLoop&) = delete;

    struct ev_loop* loop() const {
        return _loop;
    }

    // runs until nothing keeps the loop going; false when it had to be broken
    // after seconds
    bool run(double seconds = 20) { return !runFor(seconds); }

    // runs for the given seconds at most; whether they ran out
    bool runFor(double seconds) {
        bool expired = false;
        // The loop's clock stood still while the test worked outside it (a
        // broker tool on a loaded machine can take longer than the limit):
        // counted from that old time, the limit would be over at once.
        ev_now_update(_loop);
        ev_timer stop;
        ev_timer_init(&stop, expire, seconds, 0);
        stop.data = &expired;
        ev_timer_start(_loop, &stop);
        // the limit alone does not keep the loop going
        ev_unref(_loop);
        ev_run(_loop, 0);
        ev_ref(_loop);
        ev_timer_stop(_loop, &stop);
        return expired;
    }

private:
    static void expire(struct ev_loop* loop, ev_timer* timer, int) {
        *static_cast<bool*>(timer->data) = true;
        ev_break(loop, EVBREAK_ALL);
    }

    struct ev_loop* _loop;
};

} // namespace Test
} // namespace AMQP
