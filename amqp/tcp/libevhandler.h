// Runs TCP connections on a libev loop: an I/O watcher per descriptor a
// connection asks for, and one timer per connection that limits the time
// until its set-up is over and keeps heartbeats going once they are agreed:
// the broker's heartbeats do not stretch the set-up limit. An
// exception from the work of a callback (the user's callbacks, parsing)
// never unwinds through libev: it closes its connection at once, reported as
// the connection's error.
#pragma once

#include <cstdint>
#include <exception>
#include <list>

#include <ev.h>

#include "amqp/tcp/tcphandler.h"

namespace AMQP {

class LibEvHandler : public TcpHandler {
public:
    // every watcher started here gets this priority
    LibEvHandler(struct ev_loop* loop, int priority = 0);
    LibEvHandler(const LibEvHandler&) = delete;
    LibEvHandler& operator=(const LibEvHandler&) = delete;
    ~LibEvHandler() override;

    // the broker's proposal is taken as it is, and heartbeats start (not for
    // a connection closed meanwhile: it detached, and keeps no timer)
    uint16_t onNegotiate(TcpConnection* connection, uint16_t interval) override;
    // forgets the connection's watchers and its timer
    void onDetached(TcpConnection* connection) override;
    // watches fd (not for a connection closed meanwhile, like onNegotiate)
    void monitor(TcpConnection* connection, int fd, int flags) override;

protected:
    // Reads what already waits in the connection's socket, before a deadline
    // of the user's decides: after a stall of the whole process (stopped, a
    // slow disk, long work in a callback) a timer runs before the socket's
    // read callback of the same loop turn, and the broker's answer (a
    // confirm, a close-ok) may be there. False when nothing waited. Reading
    // may end the connection.
    bool readWaiting(TcpConnection* connection);

    // Whether the connection's set-up is over, asked when the set-up limit
    // runs out: by default once the AMQP handshake is. A user that needs a
    // channel ready before it can work counts that in too.
    virtual bool established(TcpConnection* connection);

private:
    friend class LibEvHandlerSeam;

    // what the libev callbacks reach
    class Watchable {
    public:
        virtual ~Watchable() = default;
        virtual void onActive(int fd, int events) = 0;
        virtual void onExpired() = 0;
    };

    // one watched descriptor
    class Watcher {
    public:
        Watcher(struct ev_loop* loop, Watchable* owner, int fd, int events, int priority);
        Watcher(const Watcher&) = delete;
        Watcher& operator=(const Watcher&) = delete;
        ~Watcher();

        int fd() const { return _io.fd; }
        // whether it watches for reading and the descriptor has input now
        bool waiting() const;
        void events(int events);

    private:
        static void callback(struct ev_loop* loop, ev_io* io, int revents);

        struct ev_loop* _loop;
        ev_io _io;
    };

    // the watchers and the timer of one connection
    class Wrapper : private Watchable {
    public:
        // arms the set-up limit of limit seconds
        Wrapper(LibEvHandler* owner, TcpConnection* connection, struct ev_loop* loop, int priority,
                double limit);
        Wrapper(const Wrapper&) = delete;
        Wrapper& operator=(const Wrapper&) = delete;
        ~Wrapper() override;

        TcpConnection* connection() const { return _connection; }
        void monitor(int fd, int flags);
        uint16_t negotiate(uint16_t interval);
        // a watched descriptor with input waiting to be read; -1: none
        int waiting() const;

    private:
        void onActive(int fd, int events) override;
        void onExpired() override;
        // the timer's work: heartbeats, the set-up limit, a silent broker
        void expire();
        // the timer ran at now, for the set-up limit (setup) or the
        // heartbeats; heard: the broker's bytes that waited were read just
        // before. Ends the connection when its time is over, else keeps
        // heartbeats going.
        void decide(double now, bool setup, bool heard);
        // re-arms the timer for the earliest deadline still open
        void rearm(double now);
        // no deadline is open any more: the timer is not armed again
        void stop();
        static void callback(struct ev_loop* loop, ev_timer* timer, int revents);

        // starts the one-shot timer after seconds, keeping it from holding
        // the loop open
        void arm(double seconds);
        // stops it when it runs
        void disarm();

        LibEvHandler* _owner;
        TcpConnection* _connection;
        struct ev_loop* _loop;
        ev_timer _timer;
        std::list<Watcher> _watchers;
        // loop times of the next heartbeat and of the end of patience; 0: none
        double _next = 0;
        double _expire = 0;
        // loop time at which the set-up limit runs out; 0 once it is over
        double _setup = 0;
        // negotiated heartbeat interval in seconds; 0: none
        uint16_t _timeout = 0;
    };

    // the connection's wrapper, made (with its timer) when create is set
    // and the connection is not closed
    Wrapper* lookup(TcpConnection* connection, bool create);

    // Runs the work of a libev callback for the connection; an exception
    // becomes the connection's error.
    template <typename Work>
    void guard(TcpConnection* connection, Work&& work) noexcept {
        try {
            work();
        } catch (const std::exception& failure) {
            fail(connection, failure.what());
        } catch (...) {
            fail(connection, "unknown exception in a connection callback");
        }
    }
    void fail(TcpConnection* connection, const char* message) noexcept;

    struct ev_loop* _loop;
    std::list<Wrapper> _wrappers;
    int _priority;
    // seconds a connection may take until its set-up is over
    double _setupLimit = 60.0;
};

} // namespace AMQP
