#include "rabbit/app_base.h"

#include "amqp/address.h"
#include "event/loop.h"
#include "event/mainloop.h"
#include "toolbox/datetime.h"

#include <ev.h>

#include <pthread.h>
#include <signal.h>

#include <cstdio>
#include <stdexcept>
#include <string>

namespace Orvanta::Rabbit::App {

int Base::_instances = 0;

namespace {

// the signals that the exit watcher turns into onExit
constexpr int exitSignals[] = {SIGTERM, SIGINT, SIGHUP};

sigset_t exitSignalSet() {
    sigset_t set;
    sigemptyset(&set);
    for (int signum : exitSignals)
        sigaddset(&set, signum);
    return set;
}

} // namespace

void Base::SignalsIgnored::hold() {
    // Blocked in this thread, the only one left once the connection has
    // joined its resolver, and so blocked when the exit watcher hands the
    // signals back to their default action.
    sigset_t set = exitSignalSet();
    pthread_sigmask(SIG_BLOCK, &set, nullptr);
    _held = true;
}

Base::SignalsIgnored::~SignalsIgnored() {
    if (!_held) return;
    struct sigaction ignore {};
    ignore.sa_handler = SIG_IGN;
    sigemptyset(&ignore.sa_mask);
    for (int signum : exitSignals)
        sigaction(signum, &ignore, nullptr);
    // what came meanwhile is dropped now that the signals are ignored
    sigset_t set = exitSignalSet();
    pthread_sigmask(SIG_UNBLOCK, &set, nullptr);
}

Base::Base(Event::MainLoop* loop, const AMQP::Address& address)
    : AMQP::LibEvHandler(loop->loop(), 0), _loop(loop), _exitWatcher(loop, this),
      _brokerCheck(address.hostname()), _connection(this, address) {
    ev_timer_init(&_grace, onGraceOver, gracePeriod, 0.0);
    _grace.data = this;
    if (++_instances < 2) return;
    // the destructor will not run for an object that was never finished
    --_instances;
    throw std::logic_error("More than one instance running of Rabbit::App::Base");
}

Base::Base(const AMQP::Address& address) : Base(Event::MainLoop::instance(), address) {}

Base::~Base() {
    --_instances;
    ev_timer_stop(_loop->loop(), &_grace);
    _ignored.hold();
}

int Base::run() {
    _loop->run(0);
    return 0;
}

void Base::onError(AMQP::TcpConnection*, const char* message) {
    std::string text = std::string("RabbitMQ connection error: ") + message;
    // a refused broker certificate: OpenSSL's reason says why
    if (!_brokerCheck.reason().empty()) text += ": " + _brokerCheck.reason();
    onError(text.c_str());
}

bool Base::onSecuring(AMQP::TcpConnection*, ssl_st* ssl) {
    return _brokerCheck.prepare(ssl);
}

bool Base::onSecured(AMQP::TcpConnection*, const ssl_st* ssl) {
    return _brokerCheck.accept(ssl);
}

void Base::onError(const char* message) {
    Toolbox::DateTime now(ev_time());
    std::fprintf(stderr, "[%s] %s\n", now.sql(), message);
    std::fflush(stderr);
}

void Base::onDetached(AMQP::TcpConnection* connection) {
    ev_timer_stop(_loop->loop(), &_grace);
    AMQP::LibEvHandler::onDetached(connection);
    ev_break(_loop->loop(), EVBREAK_ONE);
}

void Base::onExit(int signum, unsigned long) {
    if (++_signals > 1) {
        _connection.close(true);
        return;
    }
    // a broker that stalls (a memory alarm, a dead peer) must not keep the
    // program from ending
    if (!_connection.closed()) ev_timer_start(_loop->loop(), &_grace);
    if (onInterrupt(signum)) _connection.close(false);
}

void Base::finish() {
    _finished = true;
    // a peer that never ends TCP (or never answers TLS's close) must not
    // keep the program from ending; a signal's grace period keeps running
    if (!_connection.closed() && !ev_is_active(&_grace)) ev_timer_start(_loop->loop(), &_grace);
    _connection.close(false);
}

void Base::onGraceOver(struct ev_loop* loop, ev_timer* timer, int) {
    auto* base = static_cast<Base*>(timer->data);
    Event::Loop::invoke(loop, [base] {
        // What the broker sent meanwhile decides first: after a stall of the
        // whole process its confirm may wait in the socket, and closing
        // without it would have the message sent again. A confirm read here
        // ends the work, whose close is bounded anew.
        base->readWaiting(&base->_connection);
        if (base->_connection.closed() || ev_is_active(&base->_grace)) return;
        if (!base->_finished) {
            const std::string text = "RabbitMQ did not finish within " +
                                     std::to_string(static_cast<int>(gracePeriod)) +
                                     " seconds of the signal: closing the connection at once";
            base->onError(text.c_str());
        }
        base->_connection.close(true);
    });
}

} // namespace Orvanta::Rabbit::App
