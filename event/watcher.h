// The common part of the wrappers around one libev watcher: started on one
// loop or stopped, and stopped when destroyed.
#pragma once

#include <ev.h>

namespace Orvanta::Event {

namespace Detail {

inline void start(struct ev_loop* loop, ev_io* watcher) {
    ev_io_start(loop, watcher);
}
inline void stop(struct ev_loop* loop, ev_io* watcher) {
    ev_io_stop(loop, watcher);
}
inline void start(struct ev_loop* loop, ev_signal* watcher) {
    ev_signal_start(loop, watcher);
}
inline void stop(struct ev_loop* loop, ev_signal* watcher) {
    ev_signal_stop(loop, watcher);
}

} // namespace Detail

template <typename Structure>
class Watcher {
public:
    Watcher(const Watcher&) = delete;
    Watcher& operator=(const Watcher&) = delete;

    // Not guarded: a started watcher is stopped before it is started again.
    virtual void start(struct ev_loop* loop) {
        _loop = loop;
        Detail::start(loop, &_watcher);
    }

    virtual ~Watcher() { Watcher::stop(); }

    virtual void stop() {
        if (_loop == nullptr) return;
        Detail::stop(_loop, &_watcher);
        _loop = nullptr;
    }

    // The loop it is started on, null while stopped.
    struct ev_loop* loop() const {
        return _loop;
    }

protected:
    Watcher() = default;

    Structure _watcher;
    struct ev_loop* _loop = nullptr;
};

} // namespace Orvanta::Event
