// The skeleton of a program that keeps one AMQP connection on the main event
// loop: it handles the connection, runs the loop until the connection is
// gone, reports connection errors with a timestamp and closes the
// connection on SIGTERM, SIGINT and SIGHUP: in an orderly way first, at once
// when the broker does not finish within a few seconds or a second signal
// comes. Closing once the work is done is bounded the same way. Over TLS it
// accepts only a broker whose certificate verifies and names the address's
// host.
#pragma once

#include "amqp/tcp/libevhandler.h"
#include "amqp/tcp/tcpconnection.h"
#include "event/exithandler.h"
#include "event/exitwatcher.h"
#include "rabbit/brokercheck.h"

namespace AMQP {
class Address;
}

namespace Orvanta::Event {
class MainLoop;
}

namespace Orvanta::Rabbit::App {

class Base : private AMQP::LibEvHandler, private Event::ExitHandler {
public:
    // Connecting starts at once. Only one base may live at a time: a second
    // one throws std::logic_error.
    Base(Event::MainLoop* loop, const AMQP::Address& address);
    explicit Base(const AMQP::Address& address);
    Base(const Base&) = delete;
    Base& operator=(const Base&) = delete;
    ~Base() override;

    // Runs the main loop until the connection detaches or nothing keeps the
    // loop going; an exception from a callback comes out of here.
    int run();

    // How many bases live now.
    static int instances() { return _instances; }

protected:
    // derived classes may have an onReady of their own beside this one
    using AMQP::LibEvHandler::onNegotiate;
    using AMQP::LibEvHandler::onReady;
    void onError(AMQP::TcpConnection* connection, const char* message) override;
    bool onSecuring(AMQP::TcpConnection* connection, ssl_st* ssl) override;
    bool onSecured(AMQP::TcpConnection* connection, const ssl_st* ssl) override;
    void onDetached(AMQP::TcpConnection* connection) override;

    // The first termination signal starts the grace period and, unless
    // onInterrupt says otherwise, closes the connection in an orderly way; a
    // second one does not wait for the broker any more.
    void onExit(int signum, unsigned long count) override;
    // The first termination signal came. True: close the connection now in
    // the orderly way; false: the derived class finishes its work and closes
    // it itself, within the same grace period.
    virtual bool onInterrupt(int /*signum*/) { return true; }
    // Writes "[" UTC time "] " message and a newline to standard error.
    virtual void onError(const char* message);

    // The work is done and its outcome known: closes the connection in the
    // orderly way, but waits for the broker and the peer's end of TCP or TLS
    // no longer than the grace period, and then ends it at once without
    // saying that the broker did not finish: nothing depends on it any more.
    void finish();

    AMQP::TcpConnection* connection() { return &_connection; }
    Event::MainLoop* mainLoop() const { return _loop; }

    // Seconds after the first signal until the connection closes at once.
    static constexpr double gracePeriod = 5.0;

private:
    // Once the base is gone the signals that it handled are ignored, so that
    // a signal during the program's last steps cannot end it by the signal
    // instead of its exit status.
    class SignalsIgnored {
    public:
        SignalsIgnored() = default;
        SignalsIgnored(const SignalsIgnored&) = delete;
        SignalsIgnored& operator=(const SignalsIgnored&) = delete;
        // from now until this object goes, the signals wait, blocked
        void hold();
        ~SignalsIgnored();

    private:
        bool _held = false;
    };

    static void onGraceOver(struct ev_loop* loop, ev_timer* timer, int revents);

    static int _instances;

    // destroyed last: after the exit watcher has given the signals back
    SignalsIgnored _ignored;
    Event::MainLoop* _loop;
    Event::ExitWatcher _exitWatcher;
    BrokerCheck _brokerCheck;
    AMQP::TcpConnection _connection;
    // termination signals received so far, of any kind
    unsigned long _signals = 0;
    // finish() was called
    bool _finished = false;
    // runs from the first signal, or from finish(), until the connection
    // detaches
    ev_timer _grace;
};

} // namespace Orvanta::Rabbit::App
