// The event loop as the resolver sees it: descriptors to watch and one-shot
// timers. Events are libev's: 1 readable, 2 writable.
#pragma once

namespace DNS {

// told when its descriptor is ready
class Monitor {
public:
    virtual void notify() = 0;

protected:
    ~Monitor() = default;
};

// told when its timer fires
class Timer {
public:
    virtual void expire() = 0;

protected:
    ~Timer() = default;
};

class Loop {
public:
    virtual ~Loop() = default;

    virtual void* add(int fd, int events, Monitor* monitor) = 0;
    virtual void* update(void* handle, int fd, int events, Monitor* monitor) = 0;
    virtual void remove(void* handle, int fd, Monitor* monitor) = 0;
    // fires once after `seconds`
    virtual void* timer(double seconds, Timer* timer) = 0;
    virtual void cancel(void* handle, Timer* timer) = 0;
};

} // namespace DNS
