#include "dns/transport/libev.h"

#include "event/loop.h"

#include <ev.h>

namespace DNS {

namespace {

// A handler's exception must not unwind through libev: the loop's owner
// keeps it and rethrows it from its run().
void onIo(struct ev_loop* loop, ev_io* watcher, int) {
    Orvanta::Event::Loop::invoke(loop, [watcher] { static_cast<Monitor*>(watcher->data)->notify(); });
}

void onTimer(struct ev_loop* loop, ev_timer* watcher, int) {
    Orvanta::Event::Loop::invoke(loop, [watcher] { static_cast<Timer*>(watcher->data)->expire(); });
}

} // namespace

void* LibEv::add(int fd, int events, Monitor* monitor) {
    auto* watcher = new ev_io;
    ev_io_init(watcher, onIo, fd, events);
    watcher->data = monitor;
    ev_io_start(_loop, watcher);
    if (!_ref) ev_unref(_loop);
    return watcher;
}

void* LibEv::update(void* handle, int fd, int events, Monitor* monitor) {
    auto* watcher = static_cast<ev_io*>(handle);
    ev_io_stop(_loop, watcher);
    ev_io_set(watcher, fd, events);
    watcher->data = monitor;
    ev_io_start(_loop, watcher);
    return watcher;
}

void LibEv::remove(void* handle, int, Monitor*) {
    auto* watcher = static_cast<ev_io*>(handle);
    if (!_ref) ev_ref(_loop);
    ev_io_stop(_loop, watcher);
    delete watcher;
}

void* LibEv::timer(double seconds, Timer* timer) {
    auto* watcher = new ev_timer;
    ev_timer_init(watcher, onTimer, seconds, 0.);
    watcher->data = timer;
    ev_set_priority(watcher, -2);
    ev_timer_start(_loop, watcher);
    if (!_ref) ev_unref(_loop);
    return watcher;
}

void LibEv::cancel(void* handle, Timer*) {
    auto* watcher = static_cast<ev_timer*>(handle);
    if (!_ref) ev_ref(_loop);
    ev_timer_stop(_loop, watcher);
    delete watcher;
}

} // namespace DNS
