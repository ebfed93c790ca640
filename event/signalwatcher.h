// Watches one signal number on behalf of a SignalHandler.
#pragma once

#include "event/watcher.h"

namespace Orvanta::Event {

class SignalHandler;

class SignalWatcher : public Watcher<ev_signal> {
public:
    SignalWatcher(SignalHandler* handler, int signum);

private:
    static void callback(struct ev_loop* loop, ev_signal* watcher, int revents);
};

} // namespace Orvanta::Event
