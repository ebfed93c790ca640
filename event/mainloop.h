// The process-wide libev default loop; it lives until the process ends.
#pragma once

#include "event/loop.h"

namespace Orvanta::Event {

class MainLoop : public Loop {
public:
    // The one instance, made on the first call.
    static MainLoop* instance();

private:
    MainLoop();
    // never called: the instance is never destroyed
    ~MainLoop() override = default;
};

} // namespace Orvanta::Event
