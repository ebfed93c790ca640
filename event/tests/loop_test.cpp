// The loop objects: the default loop singleton, private loops on their own
// threads, and exceptions that leave callbacks.
#include "event/iohandler.h"
#include "event/iowatcher.h"
#include "event/mainloop.h"
#include "event/threadloop.h"
#include "pipe.h"

#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>
#include <thread>
#include <vector>

using namespace Orvanta::Event;
using Orvanta::Event::Test::Pipe;

namespace {

class Failure : public std::runtime_error {
public:
    explicit Failure(int number) : std::runtime_error("failure " + std::to_string(number)), number(number) {}
    int number;
};

// Runs a function for every readable event and drains the pipe.
class Reader : public IoHandler {
public:
    explicit Reader(std::function<void()> action) : _action(std::move(action)) {}
    void onReadable(int fd) override {
        char buffer[16];
        if (::read(fd, buffer, sizeof buffer) < 0) throw std::runtime_error("read failed");
        ++calls;
        _action();
    }
    int calls = 0;

private:
    std::function<void()> _action;
};

} // namespace

TEST(MainLoop, OneInstanceOverTheDefaultLoop) {
    MainLoop* loop = MainLoop::instance();
    ASSERT_NE(loop, nullptr);
    EXPECT_EQ(loop, MainLoop::instance());
    EXPECT_EQ(loop->loop(), ev_default_loop(0));
}

TEST(ThreadLoop, PrivateLoopsAreDistinct) {
    ThreadLoop first, second;
    EXPECT_NE(first.loop(), nullptr);
    EXPECT_NE(first.loop(), second.loop());
    EXPECT_NE(first.loop(), MainLoop::instance()->loop());
}

// Each private loop is destroyed exactly once: a second destroy would be a
// double free, which both the allocator and the sanitizers stop on.
TEST(ThreadLoop, CreatedAndDestroyedRepeatedly) {
    Pipe pipe;
    for (int i = 0; i < 200; ++i) {
        ThreadLoop loop;
        Reader reader([] {});
        IoWatcher watcher(&reader, pipe.reader(), EV_READ);
        watcher.start(loop.loop());
        EXPECT_EQ(loop.run(EVRUN_NOWAIT), 1);
    }
}

TEST(ThreadLoop, RunsOnItsOwnThread) {
    Pipe pipe;
    std::string seen;
    std::thread worker([&] {
        ThreadLoop loop;
        IoWatcher* watcher = nullptr;
        Reader reader([&] {
            seen = "event on worker";
            watcher->stop();
        });
        IoWatcher io(&reader, pipe.reader(), EV_READ);
        watcher = &io;
        io.start(loop.loop());
        loop.run();
    });
    pipe.write("x");
    worker.join();
    EXPECT_EQ(seen, "event on worker");
}

TEST(Loop, ExceptionFromCallbackComesOutOfRun) {
    ThreadLoop loop;
    Pipe pipe;
    Reader reader([] { throw Failure(7); });
    IoWatcher watcher(&reader, pipe.reader(), EV_READ);
    watcher.start(loop.loop());
    pipe.write("x");
    try {
        loop.run();
        FAIL() << "run returned normally";
    } catch (const Failure& failure) {
        EXPECT_EQ(failure.number, 7);
    }
    EXPECT_EQ(reader.calls, 1);

    // the loop is still usable and the exception is not thrown again
    pipe.write("y");
    EXPECT_THROW(loop.run(EVRUN_ONCE), Failure);
    EXPECT_EQ(reader.calls, 2);
    watcher.stop();
    EXPECT_EQ(loop.run(), 0);
}

TEST(Loop, FirstOfSeveralExceptionsWins) {
    ThreadLoop loop;
    Pipe first, second;
    std::vector<int> order;
    Reader one([&] { order.push_back(1), throw Failure(1); });
    Reader two([&] { order.push_back(2), throw Failure(2); });
    IoWatcher a(&one, first.reader(), EV_READ), b(&two, second.reader(), EV_READ);
    a.start(loop.loop());
    b.start(loop.loop());
    first.write("x");
    second.write("x");
    int number = 0;
    try {
        loop.run();
    } catch (const Failure& failure) {
        number = failure.number;
    }
    // both were pending in the same iteration; the first to run is reported
    ASSERT_EQ(order.size(), 2u);
    EXPECT_EQ(number, order[0]);
    // and the second is not kept for a later run
    a.stop();
    b.stop();
    EXPECT_EQ(loop.run(), 0);
}

TEST(Loop, ExceptionFromTheMainLoop) {
    MainLoop* loop = MainLoop::instance();
    Pipe pipe;
    Reader reader([] { throw std::logic_error("from main"); });
    IoWatcher watcher(&reader, pipe.reader(), EV_READ);
    watcher.start(loop->loop());
    pipe.write("x");
    EXPECT_THROW(loop->run(), std::logic_error);
    watcher.stop();
    EXPECT_EQ(loop->run(), 0);
}

TEST(Loop, NestedRunBreaksEveryLevel) {
    ThreadLoop loop;
    Pipe outer, inner;
    bool afterInner = false;
    Reader innerReader([] { throw Failure(3); });
    IoWatcher innerWatcher(&innerReader, inner.reader(), EV_READ);
    Reader outerReader([&] {
        innerWatcher.start(loop.loop());
        inner.write("x");
        // raw libev run nested inside a callback: the break leaves it too
        ev_run(loop.loop(), 0);
        afterInner = true;
    });
    IoWatcher outerWatcher(&outerReader, outer.reader(), EV_READ);
    outerWatcher.start(loop.loop());
    outer.write("x");
    EXPECT_THROW(loop.run(), Failure);
    EXPECT_TRUE(afterInner);
}

TEST(Loop, FailureDuringADirectRunComesOutOfTheNextRun) {
    ThreadLoop loop;
    Pipe pipe;
    Reader reader([] { throw Failure(4); });
    IoWatcher watcher(&reader, pipe.reader(), EV_READ);
    watcher.start(loop.loop());
    pipe.write("x");
    ev_run(loop.loop(), 0);
    EXPECT_EQ(reader.calls, 1);
    // the watcher is still active: had run() waited for it, it would hang
    EXPECT_THROW(loop.run(), Failure);
    EXPECT_EQ(reader.calls, 1);
    watcher.stop();
    EXPECT_EQ(loop.run(), 0);
}

TEST(LoopDeathTest, ExceptionOnALoopWithoutOwnerTerminates) {
    // a libev loop that no Loop object wraps has nobody to rethrow to
    EXPECT_DEATH(
        {
            struct ev_loop* raw = ev_loop_new(0);
            Pipe pipe;
            Reader reader([] { throw Failure(9); });
            IoWatcher watcher(&reader, pipe.reader(), EV_READ);
            watcher.start(raw);
            pipe.write("x");
            ev_run(raw, 0);
        },
        "without owner");
}
