// Turns SIGTERM, SIGINT and SIGHUP on the main loop into one callback with a
// count of the same signal in a row, and swallows SIGPIPE. It never keeps
// the loop running by itself.
#pragma once

#include "event/signalhandler.h"
#include "event/signalwatcher.h"

namespace Orvanta::Event {

class ExitHandler;
class MainLoop;

class ExitWatcher : public SignalHandler {
public:
    // Starts at once.
    ExitWatcher(MainLoop* loop, ExitHandler* handler);
    ~ExitWatcher() override;

    void start(MainLoop* loop);
    // Harmless when stopped.
    void stop();

    void onSignal(int signum) override;

private:
    SignalWatcher _term;
    SignalWatcher _pipe;
    SignalWatcher _int;
    SignalWatcher _hup;
    ExitHandler* _handler;
    int _last = 0;
    unsigned long _count = 0;
};

} // namespace Orvanta::Event
