#include "amqp/tcp/libevhandler.h"

#include <algorithm>

#include <sys/ioctl.h>

#include "amqp/tcp/poll.h"
#include "amqp/tcp/tcpconnection.h"
#include "amqp/tcp/tcpevents.h"

namespace AMQP {

LibEvHandler::Watcher::Watcher(struct ev_loop* loop, Watchable* owner, int fd, int events, int priority)
    : _loop(loop) {
    ev_io_init(&_io, callback, fd, events);
    ev_set_priority(&_io, priority);
    _io.data = owner;
    ev_io_start(_loop, &_io);
}

LibEvHandler::Watcher::~Watcher() {
    ev_io_stop(_loop, &_io);
}

bool LibEvHandler::Watcher::waiting() const {
    return (_io.events & EV_READ) != 0 && Poll(_io.fd).readable();
}

void LibEvHandler::Watcher::events(int events) {
    ev_io_stop(_loop, &_io);
    ev_io_set(&_io, _io.fd, events);
    ev_io_start(_loop, &_io);
}

void LibEvHandler::Watcher::callback(struct ev_loop*, ev_io* io, int revents) {
    // the call may destroy this watcher: io is not touched afterwards
    static_cast<Watchable*>(io->data)->onActive(io->fd, revents & (EV_READ | EV_WRITE));
}

LibEvHandler::Wrapper::Wrapper(LibEvHandler* owner, TcpConnection* connection, struct ev_loop* loop,
                               int priority, double limit)
    : _owner(owner), _connection(connection), _loop(loop) {
    ev_timer_init(&_timer, callback, limit, 0.0);
    ev_set_priority(&_timer, priority);
    _timer.data = static_cast<Watchable*>(this);
    _setup = ev_now(_loop) + limit;
    ev_timer_start(_loop, &_timer);
    ev_unref(_loop);
}

LibEvHandler::Wrapper::~Wrapper() {
    disarm();
    // the watchers stop as the list goes
}

void LibEvHandler::Wrapper::arm(double seconds) {
    ev_timer_set(&_timer, std::max(seconds, 0.0), 0.0);
    ev_timer_start(_loop, &_timer);
    ev_unref(_loop);
}

void LibEvHandler::Wrapper::disarm() {
    if (!ev_is_active(&_timer)) return;
    ev_ref(_loop);
    ev_timer_stop(_loop, &_timer);
}

void LibEvHandler::Wrapper::monitor(int fd, int flags) {
    if (flags == 0) {
        _watchers.remove_if([fd](const Watcher& watcher) { return watcher.fd() == fd; });
        return;
    }
    for (auto& watcher : _watchers) {
        if (watcher.fd() != fd) continue;
        watcher.events(flags);
        return;
    }
    _watchers.emplace_back(_loop, static_cast<Watchable*>(this), fd, flags, ev_priority(&_timer));
}

uint16_t LibEvHandler::Wrapper::negotiate(uint16_t interval) {
    _timeout = interval;
    if (interval == 0) return 0;
    double now = ev_now(_loop);
    _next = now + std::max(interval / 2, 1);
    _expire = now + 1.5 * interval;
    // the set-up limit stays: heartbeats only say that the broker is there,
    // not that the set-up goes on
    rearm(now);
    return interval;
}

void LibEvHandler::Wrapper::rearm(double now) {
    double at = _timeout != 0 ? std::min(_expire, _next) : _setup;
    if (_timeout != 0 && _setup != 0) at = std::min(at, _setup);
    disarm();
    arm(at - now);
}

void LibEvHandler::Wrapper::stop() {
    _next = 0;
    _expire = 0;
    _setup = 0;
    _timeout = 0;
}

void LibEvHandler::Wrapper::onActive(int fd, int events) {
    if (_timeout != 0 && (events & readable)) _expire = ev_now(_loop) + 1.5 * _timeout;
    // may destroy this wrapper: the last thing done here
    TcpConnection* connection = _connection;
    _owner->guard(connection, [connection, fd, events] { connection->process(fd, events); });
}

void LibEvHandler::Wrapper::onExpired() {
    // the work below may destroy this wrapper
    TcpConnection* connection = _connection;
    _owner->guard(connection, [this] { expire(); });
}

void LibEvHandler::Wrapper::expire() {
    double now = ev_now(_loop);
    // the one-shot timer stopped itself and with it dropped a reference
    // that the start had already given back
    ev_ref(_loop);
    // before heartbeats the set-up limit is the only deadline
    bool setup = _setup != 0 && (_timeout == 0 || now >= _setup);
    if (setup && _owner->established(_connection)) {
        _setup = 0;
        setup = false;
    }
    if (!setup && _timeout == 0) {
        // set up in time and no heartbeats: no timer runs any more
        return stop();
    }
    if (!setup && now < _expire) return decide(now, false, false);
    // A deadline: what the broker sent meanwhile is read before it decides.
    // Reading may end the connection, and this wrapper with it.
    LibEvHandler* owner = _owner;
    TcpConnection* connection = _connection;
    bool heard = owner->readWaiting(connection);
    if (Wrapper* self = owner->lookup(connection, false)) self->decide(now, setup, heard);
}

void LibEvHandler::Wrapper::decide(double now, bool setup, bool heard) {
    if (setup) {
        if (!_owner->established(_connection)) {
            stop();
            // the set-up did not finish in time
            _connection->close(true);
            return;
        }
        // what was read just now finished it
        _setup = 0;
        if (_timeout == 0) return stop();
    }
    if (heard) _expire = now + 1.5 * _timeout;
    if (now >= _expire) {
        stop();
        // the broker went silent
        _connection->close(true);
        return;
    }
    if (now >= _next) {
        _connection->heartbeat();
        _next = now + std::max(_timeout / 2, 1);
    }
    rearm(now);
}

int LibEvHandler::Wrapper::waiting() const {
    for (const Watcher& watcher : _watchers)
        if (watcher.waiting()) return watcher.fd();
    return -1;
}

void LibEvHandler::Wrapper::callback(struct ev_loop*, ev_timer* timer, int) {
    static_cast<Watchable*>(timer->data)->onExpired();
}

LibEvHandler::LibEvHandler(struct ev_loop* loop, int priority) : _loop(loop), _priority(priority) {}

bool LibEvHandler::readWaiting(TcpConnection* connection) {
    Wrapper* wrapper = lookup(connection, false);
    int fd = wrapper != nullptr ? wrapper->waiting() : -1;
    if (fd < 0) return false;
    // A read takes at most what the parser still needs (a frame's header or
    // its rest), and at least one byte: as many reads as bytes waited read
    // them all, and a broker that keeps sending cannot hold the deadline off.
    int bytes = 0;
    if (ioctl(fd, FIONREAD, &bytes) != 0 || bytes < 1) bytes = 1;
    for (; bytes > 0 && fd >= 0; --bytes) {
        guard(connection, [connection, fd] { connection->process(fd, readable); });
        // the connection may have ended, its wrapper with it
        wrapper = lookup(connection, false);
        fd = wrapper != nullptr ? wrapper->waiting() : -1;
    }
    return true;
}

bool LibEvHandler::established(TcpConnection* connection) {
    return connection->handshaked();
}

LibEvHandler::~LibEvHandler() = default;

LibEvHandler::Wrapper* LibEvHandler::lookup(TcpConnection* connection, bool create) {
    for (auto& wrapper : _wrappers)
        if (wrapper.connection() == connection) return &wrapper;
    // A subclass that closed the connection before it asked here: the
    // connection detached, and a new wrapper's timer would outlive it.
    if (!create || connection->closed()) return nullptr;
    return &_wrappers.emplace_back(this, connection, _loop, _priority, _setupLimit);
}

void LibEvHandler::fail(TcpConnection* connection, const char* message) noexcept {
    // A connection that detached meanwhile may be gone: nothing to close.
    // Otherwise each attempt gets further than the one before, as what has
    // failed already is not reported again; a callback that throws on every
    // report cannot keep the connection open for ever.
    for (int attempt = 0; attempt < 3 && lookup(connection, false) != nullptr; ++attempt) {
        try {
            connection->fail(message);
            return;
        } catch (...) {
            message = "exception while reporting an exception in a connection callback";
        }
    }
}

uint16_t LibEvHandler::onNegotiate(TcpConnection* connection, uint16_t interval) {
    Wrapper* wrapper = lookup(connection, true);
    return wrapper != nullptr ? wrapper->negotiate(interval) : interval;
}

void LibEvHandler::onDetached(TcpConnection* connection) {
    _wrappers.remove_if([connection](const Wrapper& wrapper) { return wrapper.connection() == connection; });
}

void LibEvHandler::monitor(TcpConnection* connection, int fd, int flags) {
    // a request to stop watching never makes a wrapper: its timer would
    // outlive a connection that already detached
    Wrapper* wrapper = lookup(connection, flags != 0);
    if (wrapper != nullptr) wrapper->monitor(fd, flags);
}

} // namespace AMQP
