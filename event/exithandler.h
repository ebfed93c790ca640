// Receives the termination signals that an ExitWatcher catches, with how
// often the same signal came in a row.
#pragma once

#include "event/handler.h"

namespace Orvanta::Event {

class ExitWatcher;

class ExitHandler : public Handler {
public:
    virtual void onExit(ExitWatcher* /*watcher*/, int signum, unsigned long count) { onExit(signum, count); }
    virtual void onExit(int signum, unsigned long count) = 0;
};

} // namespace Orvanta::Event
