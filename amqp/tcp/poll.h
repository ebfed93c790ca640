// An instant test whether one descriptor is readable or writable, without
// waiting for it.
#pragma once

#include <poll.h>

namespace AMQP {

class Poll {
public:
    explicit Poll(int fd) : _fd{fd, 0, 0} {}

    bool readable() { return test(POLLIN); }
    bool writable() { return test(POLLOUT); }

private:
    bool test(short events) {
        _fd.events = events;
        _fd.revents = 0;
        return poll(&_fd, 1, 0) > 0;
    }

    pollfd _fd;
};

} // namespace AMQP
