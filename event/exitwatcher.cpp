#include "event/exitwatcher.h"

#include "event/exithandler.h"
#include "event/mainloop.h"

#include <csignal>
#include <initializer_list>

namespace Orvanta::Event {

ExitWatcher::ExitWatcher(MainLoop* loop, ExitHandler* handler)
    : _term(this, SIGTERM), _pipe(this, SIGPIPE), _int(this, SIGINT), _hup(this, SIGHUP), _handler(handler) {
    start(loop);
}

ExitWatcher::~ExitWatcher() {
    stop();
}

void ExitWatcher::start(MainLoop* loop) {
    struct ev_loop* raw = loop->loop();
    for (SignalWatcher* watcher : {&_term, &_pipe, &_int, &_hup})
        watcher->start(raw);
    // the signal watchers alone must not keep ev_run from returning
    for (int i = 0; i < 4; ++i)
        ev_unref(raw);
}

void ExitWatcher::stop() {
    if (_int.loop() == nullptr) return;
    // libev wants the references back before the watchers stop
    for (SignalWatcher* watcher : {&_term, &_pipe, &_int, &_hup})
        if (watcher->loop() != nullptr) ev_ref(watcher->loop());
    for (SignalWatcher* watcher : {&_term, &_pipe, &_int, &_hup})
        watcher->stop();
}

void ExitWatcher::onSignal(int signum) {
    // a write to a closed pipe or socket must not end the process
    if (signum == SIGPIPE) return;
    _count = signum == _last ? _count + 1 : 1;
    _last = signum;
    _handler->onExit(this, signum, _count);
}

} // namespace Orvanta::Event
