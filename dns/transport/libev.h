// The resolver's event loop over libev. Without `ref` its watchers do not
// keep the loop running (a program's main loop); with it they do (the
// private loop of a blocking query).
#pragma once

#include "dns/transport/loop.h"

struct ev_loop;

namespace DNS {

class LibEv : public Loop {
public:
    LibEv(struct ev_loop* loop, bool ref) : _loop(loop), _ref(ref) {}

    void* add(int fd, int events, Monitor* monitor) override;
    void* update(void* handle, int fd, int events, Monitor* monitor) override;
    void remove(void* handle, int fd, Monitor* monitor) override;
    void* timer(double seconds, Timer* timer) override;
    void cancel(void* handle, Timer* timer) override;

private:
    struct ev_loop* _loop;
    bool _ref;
};

} // namespace DNS
