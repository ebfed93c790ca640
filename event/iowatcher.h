// Watches a file descriptor for reading and/or writing on behalf of an
// IoHandler.
#pragma once

#include "event/watcher.h"

namespace Orvanta::Event {

class IoHandler;

class IoWatcher : public Watcher<ev_io> {
public:
    // events: EV_READ, EV_WRITE or both.
    IoWatcher(IoHandler* handler, int fd, int events);

private:
    static void callback(struct ev_loop* loop, ev_io* watcher, int revents);
};

} // namespace Orvanta::Event
