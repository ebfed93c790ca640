// The scheduler of the resolver: it keeps at most `capacity` lookups in
// flight (the rest wait in arrival order), runs each when its time comes
// from one loop timer, and delivers answers from that timer's turn under a
// budget, so neither a flood of answers nor a callback that destroys the
// resolver can upset the loop.
#pragma once

#include "dns/transport/loop.h"
#include "dns/transport/sockets.h"
#include "dns/transport/watchable.h"

#include <deque>
#include <memory>

namespace DNS {

class Bits;
class Config;
class Handler;
class Lookup;
class Operation;

class Core : public Timer, public Watchable, public Sockets::Handler {
public:
    explicit Core(Loop* loop);
    Core(const Core&) = delete;
    Core& operator=(const Core&) = delete;
    // Lookups in flight die without a result (their handlers hear
    // onDropped only).
    ~Core() override;

    // clamped to 1 .. 32768
    Core& capacity(size_t count);
    size_t capacity() const { return _capacity; }
    size_t inflight() const { return _inflight; }

    // A lookup of the name: from the hosts file when it knows the name (the
    // search list aside), else through the search list when the name is
    // short, else from the name servers. Null, with the handler never
    // called, when it cannot start.
    Operation* query(const std::shared_ptr<const Config>& config, const char* name, int type,
                     const Bits& bits, DNS::Handler* handler);
    // The reverse lookup (PTR) of an address; its name is complete, never
    // tried with a search domain.
    Operation* query(const std::shared_ptr<const Config>& config, const Ip& address, const Bits& bits,
                     DNS::Handler* handler);

    // For the lookups and the sockets.
    void add(const std::shared_ptr<Lookup>& lookup);
    // the lookup reported or was cancelled
    void release(Lookup* lookup);
    // The lookup sent out of turn, moved to TCP and now waits for its
    // time-out, or left TCP for datagrams again: it goes to the back of the
    // queue it now belongs in.
    void requeue(Lookup* lookup);
    Inbound* datagram(const Ip& server, const Query& query);
    Connecting* connect(const Ip& server, Connector* connector);
    void expire() override;
    void onActive(Sockets* sockets) override;

private:
    using Queue = std::deque<std::shared_ptr<Lookup>>;

    // one turn of the timer: answers, due lookups, waiting ones
    void run(const Watcher& watcher, double now);
    bool process(const Watcher& watcher, Queue& queue, double now);
    void proceed(const Watcher& watcher, double now);
    void reschedule(double now);
    void timer(double seconds);

    Loop* _loop;
    // the sockets outlive the lookups, which leave them when destroyed
    Sockets _ipv4;
    Sockets _ipv6;
    Queue _scheduled;
    Queue _waiting;
    Queue _ready;
    void* _timer = nullptr;
    bool _immediate = false;
    size_t _capacity = 1024;
    size_t _budget = 64;
    size_t _inflight = 0;
};

} // namespace DNS
