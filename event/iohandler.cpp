#include "event/iohandler.h"

#include "event/monitor.h"

#include <ev.h>

namespace Orvanta::Event {

void IoHandler::onActive(int fd, int events) {
    if (events == EV_READ) return onReadable(fd);
    if (events == EV_WRITE) return onWritable(fd);
    if (events == 0) return;
    Monitor monitor(this);
    if (events & EV_WRITE) onWritable(fd);
    if (monitor.valid() && (events & EV_READ)) onReadable(fd);
}

} // namespace Orvanta::Event
