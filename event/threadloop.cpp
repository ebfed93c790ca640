#include "event/threadloop.h"

#include <ev.h>
#include <stdexcept>

namespace Orvanta::Event {

namespace {

struct ev_loop* privateLoop() {
    struct ev_loop* loop = ev_loop_new(0);
    if (loop == nullptr) throw std::runtime_error("Unable to create an event loop");
    return loop;
}

} // namespace

ThreadLoop::ThreadLoop() : Loop(privateLoop()) {}

ThreadLoop::~ThreadLoop() {
    // Destroyed here, and forgotten so that the Loop destructor does not
    // destroy it a second time.
    if (_loop != nullptr) ev_loop_destroy(_loop);
    _loop = nullptr;
}

} // namespace Orvanta::Event
