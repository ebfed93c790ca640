#include "event/iowatcher.h"

#include "event/iohandler.h"
#include "event/loop.h"

namespace Orvanta::Event {

IoWatcher::IoWatcher(IoHandler* handler, int fd, int events) {
    ev_io_init(&_watcher, callback, fd, events);
    _watcher.data = handler;
}

void IoWatcher::callback(struct ev_loop* loop, ev_io* watcher, int revents) {
    // read before calling out: the handler may destroy this watcher
    auto* handler = static_cast<IoHandler*>(watcher->data);
    int fd = watcher->fd;
    Loop::invoke(loop, [handler, fd, revents] { handler->onActive(fd, revents); });
}

} // namespace Orvanta::Event
