// The exit watcher on the main loop, driven by real signals sent to this
// process: raised, killed to self and sent by another program.
#include "event/exithandler.h"
#include "event/exitwatcher.h"
#include "event/iohandler.h"
#include "event/iowatcher.h"
#include "event/mainloop.h"
#include "pipe.h"
#include "testsupport/process.h"

#include <gtest/gtest.h>

#include <csignal>
#include <string>
#include <unistd.h>
#include <vector>

using namespace Orvanta::Event;
using Orvanta::Event::Test::Pipe;

namespace {

struct Call {
    int signum;
    unsigned long count;
    bool operator==(const Call& other) const { return signum == other.signum && count == other.count; }
};

void PrintTo(const Call& call, std::ostream* out) {
    *out << "{" << call.signum << ", " << call.count << "}";
}

class Recorder : public ExitHandler {
public:
    void onExit(int signum, unsigned long count) override { calls.push_back({signum, count}); }
    std::vector<Call> calls;
};

// Runs the main loop without blocking until the recorder has the wanted
// number of calls (a signal is handled on the next iteration).
void pump(const Recorder& recorder, size_t wanted) {
    for (int i = 0; i < 1000 && recorder.calls.size() < wanted; ++i) {
        MainLoop::instance()->run(EVRUN_NOWAIT);
        if (recorder.calls.size() < wanted) ::usleep(1000);
    }
    // one more round, so that a signal delivered twice would show
    MainLoop::instance()->run(EVRUN_NOWAIT);
}

void deliver(Recorder& recorder, int signum) {
    size_t before = recorder.calls.size();
    ASSERT_EQ(::raise(signum), 0);
    pump(recorder, before + 1);
}

} // namespace

TEST(ExitWatcher, DoesNotKeepTheLoopRunning) {
    Recorder recorder;
    ExitWatcher watcher(MainLoop::instance(), &recorder);
    // would block forever if the signal watchers held the loop
    EXPECT_EQ(MainLoop::instance()->run(), 0);
}

TEST(ExitWatcher, CountsTheSameSignalInARow) {
    Recorder recorder;
    ExitWatcher watcher(MainLoop::instance(), &recorder);
    deliver(recorder, SIGINT);
    deliver(recorder, SIGINT);
    ASSERT_EQ(::kill(::getpid(), SIGPIPE), 0);
    // handled like any signal, but reported to nobody
    pump(recorder, 2);
    deliver(recorder, SIGINT);
    EXPECT_EQ(recorder.calls, (std::vector<Call>{{SIGINT, 1}, {SIGINT, 2}, {SIGINT, 3}}));
}

TEST(ExitWatcher, AnotherSignalRestartsTheCount) {
    Recorder recorder;
    ExitWatcher watcher(MainLoop::instance(), &recorder);
    deliver(recorder, SIGTERM);
    deliver(recorder, SIGINT);
    deliver(recorder, SIGTERM);
    deliver(recorder, SIGHUP);
    deliver(recorder, SIGHUP);
    EXPECT_EQ(recorder.calls,
              (std::vector<Call>{{SIGTERM, 1}, {SIGINT, 1}, {SIGTERM, 1}, {SIGHUP, 1}, {SIGHUP, 2}}));
}

TEST(ExitWatcher, SignalFromAnotherProcess) {
    Recorder recorder;
    ExitWatcher watcher(MainLoop::instance(), &recorder);
    auto result = Orvanta::Test::runProcess({"kill", "-HUP", std::to_string(::getpid())});
    ASSERT_EQ(result.status, 0) << result.err;
    pump(recorder, 1);
    EXPECT_EQ(recorder.calls, (std::vector<Call>{{SIGHUP, 1}}));
}

TEST(ExitWatcher, WriteToAClosedPipeDoesNotEndTheProcess) {
    Recorder recorder;
    ExitWatcher watcher(MainLoop::instance(), &recorder);
    Pipe pipe;
    pipe.closeReader();
    errno = 0;
    EXPECT_EQ(::write(pipe.writer(), "x", 1), -1);
    EXPECT_EQ(errno, EPIPE);
    pump(recorder, 0);
    EXPECT_TRUE(recorder.calls.empty());
}

TEST(ExitWatcher, HandlerSeesTheWatcher) {
    struct Direct : ExitHandler {
        void onExit(ExitWatcher* watcher, int signum, unsigned long count) override {
            seen = watcher;
            ExitHandler::onExit(watcher, signum, count);
        }
        void onExit(int signum, unsigned long) override { last = signum; }
        ExitWatcher* seen = nullptr;
        int last = 0;
    } handler;
    ExitWatcher watcher(MainLoop::instance(), &handler);
    ASSERT_EQ(::raise(SIGTERM), 0);
    MainLoop::instance()->run(EVRUN_NOWAIT);
    EXPECT_EQ(handler.seen, &watcher);
    EXPECT_EQ(handler.last, SIGTERM);
}

TEST(ExitWatcher, ExceptionFromTheHandlerComesOutOfRun) {
    struct Throwing : ExitHandler {
        void onExit(int, unsigned long) override { throw std::runtime_error("stop now"); }
    } handler;
    ExitWatcher watcher(MainLoop::instance(), &handler);
    ASSERT_EQ(::raise(SIGINT), 0);
    EXPECT_THROW(MainLoop::instance()->run(), std::runtime_error);
}

TEST(ExitWatcher, StopGivesTheReferencesBack) {
    struct Reader : IoHandler {
        void onReadable(int) override {}
    } reader;
    Recorder recorder;
    ExitWatcher watcher(MainLoop::instance(), &recorder);
    watcher.stop();
    watcher.stop();
    Pipe pipe;
    IoWatcher io(&reader, pipe.reader(), EV_READ);
    io.start(MainLoop::instance()->loop());
    // exactly one referenced watcher: the exit watcher left the count as it was
    EXPECT_EQ(MainLoop::instance()->run(EVRUN_NOWAIT), 1);
    io.stop();

    // started again, it catches signals again
    watcher.start(MainLoop::instance());
    deliver(recorder, SIGHUP);
    EXPECT_EQ(recorder.calls, (std::vector<Call>{{SIGHUP, 1}}));
}
