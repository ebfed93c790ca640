// Receives the readiness of a file descriptor from an IoWatcher.
#pragma once

#include "event/handler.h"
#include "event/watchable.h"

namespace Orvanta::Event {

class IoHandler : public Handler, public Watchable {
public:
    ~IoHandler() override = default;

    // Dispatches libev's event bits; when both directions are ready the
    // write side goes first, and the read side only when the handler still
    // exists afterwards.
    virtual void onActive(int fd, int events);
    virtual void onReadable(int /*fd*/) {}
    virtual void onWritable(int /*fd*/) {}
};

} // namespace Orvanta::Event
