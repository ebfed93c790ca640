#include "event/signalwatcher.h"

#include "event/loop.h"
#include "event/signalhandler.h"

namespace Orvanta::Event {

SignalWatcher::SignalWatcher(SignalHandler* handler, int signum) {
    ev_signal_init(&_watcher, callback, signum);
    _watcher.data = handler;
}

void SignalWatcher::callback(struct ev_loop* loop, ev_signal* watcher, int /*revents*/) {
    auto* handler = static_cast<SignalHandler*>(watcher->data);
    int signum = watcher->signum;
    Loop::invoke(loop, [handler, signum] { handler->onSignal(signum); });
}

} // namespace Orvanta::Event
