// Receives a signal from a SignalWatcher.
#pragma once

#include "event/handler.h"

namespace Orvanta::Event {

class SignalHandler : public Handler {
public:
    virtual void onSignal(int signum) = 0;
    ~SignalHandler() override = default;
};

} // namespace Orvanta::Event
