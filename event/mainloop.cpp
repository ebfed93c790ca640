#include "event/mainloop.h"

#include <ev.h>
#include <stdexcept>

namespace Orvanta::Event {

namespace {

struct ev_loop* defaultLoop() {
    struct ev_loop* loop = ev_default_loop(0);
    if (loop == nullptr) throw std::runtime_error("Unable to create the default event loop");
    return loop;
}

} // namespace

MainLoop::MainLoop() : Loop(defaultLoop()) {}

MainLoop* MainLoop::instance() {
    // Deliberately never deleted: watchers of static objects may still use
    // the default loop while the process exits.
    static MainLoop* const loop = new MainLoop();
    return loop;
}

} // namespace Orvanta::Event
