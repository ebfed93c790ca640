#include "event/loop.h"

#include <cstdio>
#include <ev.h>

namespace Orvanta::Event {

Loop::Loop(struct ev_loop* loop) : _loop(loop) {
    if (_loop != nullptr) ev_set_userdata(_loop, this);
}

Loop::~Loop() {
    if (_loop != nullptr) ev_loop_destroy(_loop);
}

int Loop::run(int flags) {
    // A failure caught while the loop was run directly through libev is
    // still waiting to be reported: it comes out here, before running on.
    int result = _failure ? 0 : ev_run(_loop, flags);
    if (_failure) {
        std::exception_ptr failure = _failure;
        _failure = nullptr;
        std::rethrow_exception(failure);
    }
    return result;
}

void Loop::fail(struct ev_loop* loop, std::exception_ptr failure) noexcept {
    auto* owner = static_cast<Loop*>(ev_userdata(loop));
    if (owner == nullptr) {
        // Nobody could rethrow it and it cannot pass through libev: this is
        // what an exception leaving a noexcept function does anyway.
        std::fputs("exception in a callback of an event loop without owner\n", stderr);
        std::terminate();
    }
    // The first failure is the one reported. Callbacks that were already
    // pending still run in this iteration; should one of them fail too, its
    // exception is a consequence at most and is dropped.
    if (!owner->_failure) owner->_failure = failure;
    ev_break(loop, EVBREAK_ALL);
}

} // namespace Orvanta::Event
