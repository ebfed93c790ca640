// A TcpParent for testing transport states alone: it owns the current state
// as a connection would, records every report as a line of text, and lets a
// test decide what the parser consumes and expects.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "amqp/buffers/buffer.h"
#include "amqp/monitor.h"
#include "amqp/tcp/tcpextstate.h"
#include "amqp/tcp/tcpparent.h"
#include "amqp/watchable.h"

namespace AMQP::Test {

class TransportParent : public TcpParent {
public:
    // the state reports its end while the records still exist
    ~TransportParent() override { state.reset(); }

    void onConnected(TcpState*) override { events.push_back("connected"); }
    bool onSecuring(TcpState*, ssl_st*) override { return false; }
    bool onSecured(TcpState*, const ssl_st*) override { return false; }
    size_t onReceived(TcpState*, const Buffer& buffer) override {
        std::string bytes(buffer.data(0, buffer.size()), buffer.size());
        received.push_back(bytes);
        return consume ? consume(bytes) : buffer.size();
    }
    void onIdle(TcpState*, int fd, int flags) override {
        events.push_back("idle " + std::to_string(fd) + " " + std::to_string(flags));
        if (onWatch) onWatch(flags);
    }
    void onError(TcpState*, const char* message, bool connected) override {
        events.push_back(std::string("error ") + message + (connected ? " (connected)" : ""));
        if (onFailure) onFailure();
    }
    void onLost(TcpState*) override { events.push_back("lost"); }
    size_t expected() override { return expect; }

    // what TcpConnection::process does with the state that follows
    void process(int fd, int flags) {
        Monitor monitor(this);
        TcpState* current = state.get();
        TcpState* next = current->process(monitor, fd, flags);
        if (next == nullptr || next == current || !monitor.valid()) return;
        state.reset(next);
    }

    std::unique_ptr<TcpState> state;
    std::vector<std::string> events;
    std::vector<std::string> received;
    // bytes the parser takes of what it is given (default: all of it)
    std::function<size_t(const std::string&)> consume;
    std::function<void()> onFailure;
    // a change of what is watched, with its flags
    std::function<void(int)> onWatch;
    size_t expect = 7;
};

// a state that holds a given socket, as the resolver does once connected
class SocketState : public TcpExtState {
public:
    SocketState(TcpParent* parent, int fd) : TcpExtState(parent) { _fd = fd; }
};

} // namespace AMQP::Test
