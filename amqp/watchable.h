// Base of objects that user callbacks may destroy: every Monitor watching the
// object is invalidated when it dies, so callers can tell after a callback.
#pragma once

#include <vector>

namespace AMQP {

class Monitor;

class Watchable {
public:
    Watchable() = default;
    virtual ~Watchable();

    // the registered monitors point at this very object: a copy would leave
    // them watching the wrong one
    Watchable(const Watchable&) = delete;
    Watchable& operator=(const Watchable&) = delete;

    // called by Monitor when it starts and stops watching this object
    void add(Monitor* monitor);
    // removes every occurrence of monitor
    void remove(Monitor* monitor);

private:
    std::vector<Monitor*> _monitors;
};

} // namespace AMQP
