// A libev loop as an object: the process-wide default loop (MainLoop) or a
// private one (ThreadLoop). run() is where an exception that escaped a
// watcher callback comes out again.
#pragma once

#include <exception>

struct ev_loop;

namespace Orvanta::Event {

class Loop {
public:
    Loop(const Loop&) = delete;
    Loop& operator=(const Loop&) = delete;
    virtual ~Loop();

    // The libev loop, to hand to libev and to the watchers.
    struct ev_loop* loop() const {
        return _loop;
    }

    // ev_run with the given flags. When a callback let an exception out, the
    // loop was broken and that exception is thrown from here (also when the
    // loop had been run directly with ev_run when it happened).
    int run(int flags = 0);

    // Runs the work of a libev callback. An exception must not unwind through
    // libev's C frames: it is kept by the Loop that owns the libev loop, the
    // loop is broken and run() rethrows it.
    template <typename Work>
    static void invoke(struct ev_loop* loop, Work&& work) noexcept {
        try {
            work();
        } catch (...) {
            fail(loop, std::current_exception());
        }
    }

    // What invoke() does with an exception.
    static void fail(struct ev_loop* loop, std::exception_ptr failure) noexcept;

protected:
    // Takes the libev loop's user data slot, through which callbacks find
    // this object.
    explicit Loop(struct ev_loop* loop);

    struct ev_loop* _loop;

private:
    std::exception_ptr _failure;
};

} // namespace Orvanta::Event
