// A private libev loop, for a caller that waits for its own events without
// running the main loop; it is used by the thread that made it.
#pragma once

#include "event/loop.h"

namespace Orvanta::Event {

class ThreadLoop : public Loop {
public:
    ThreadLoop();
    ~ThreadLoop() override;
};

} // namespace Orvanta::Event
