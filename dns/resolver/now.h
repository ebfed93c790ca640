// The wall-clock time taken once, as seconds since the epoch.
#pragma once

#include <sys/time.h>

namespace DNS {

class Now {
public:
    Now() { gettimeofday(&_time, nullptr); }

    operator double() const { return double(_time.tv_sec) + double(_time.tv_usec) * 1e-6; }

private:
    timeval _time;
};

} // namespace DNS
