// IoWatcher and IoHandler over real pipes and sockets on private loops.
#include "event/iohandler.h"
#include "event/iowatcher.h"
#include "event/threadloop.h"
#include "pipe.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <sys/socket.h>
#include <vector>

using namespace Orvanta::Event;
using Orvanta::Event::Test::Pipe;

namespace {

// Records its calls; reads what arrives and stops when told to.
class Recorder : public IoHandler {
public:
    void onReadable(int fd) override {
        calls.push_back("read " + std::to_string(fd));
        char buffer[64];
        ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n > 0) received.append(buffer, n);
        if (n == 0 && watcher) watcher->stop();
    }
    void onWritable(int fd) override { calls.push_back("write " + std::to_string(fd)); }

    std::vector<std::string> calls;
    std::string received;
    IoWatcher* watcher = nullptr;
};

// Owns its watcher and destroys itself on the first writable event.
class SelfDestroying : public IoHandler {
public:
    SelfDestroying(struct ev_loop* loop, int fd, std::vector<std::string>& calls)
        : _watcher(this, fd, EV_READ | EV_WRITE), _calls(calls) {
        _watcher.start(loop);
    }
    void onWritable(int) override {
        _calls.push_back("write");
        delete this;
    }
    void onReadable(int) override { _calls.push_back("read"); }

private:
    IoWatcher _watcher;
    std::vector<std::string>& _calls;
};

struct SocketPair {
    SocketPair() {
        if (::socketpair(AF_UNIX, SOCK_STREAM, 0, fds) != 0) throw std::runtime_error("socketpair failed");
    }
    ~SocketPair() {
        ::close(fds[0]);
        ::close(fds[1]);
    }
    int fds[2];
};

} // namespace

TEST(IoWatcher, ReadsAPipeUntilItCloses) {
    ThreadLoop loop;
    Pipe pipe;
    Recorder recorder;
    IoWatcher watcher(&recorder, pipe.reader(), EV_READ);
    recorder.watcher = &watcher;
    watcher.start(loop.loop());
    EXPECT_EQ(watcher.loop(), loop.loop());
    pipe.write("hello");
    pipe.closeWriter();
    // the watcher alone keeps the loop running until end of file stops it
    EXPECT_EQ(loop.run(), 0);
    EXPECT_EQ(recorder.received, "hello");
    EXPECT_EQ(watcher.loop(), nullptr);
    std::string read = "read " + std::to_string(pipe.reader());
    EXPECT_EQ(recorder.calls, (std::vector<std::string>{read, read}));
}

TEST(IoWatcher, WritableBeforeReadable) {
    ThreadLoop loop;
    SocketPair sockets;
    ASSERT_EQ(::write(sockets.fds[1], "x", 1), 1);
    Recorder recorder;
    IoWatcher watcher(&recorder, sockets.fds[0], EV_READ | EV_WRITE);
    watcher.start(loop.loop());
    loop.run(EVRUN_ONCE);
    std::string fd = std::to_string(sockets.fds[0]);
    EXPECT_EQ(recorder.calls, (std::vector<std::string>{"write " + fd, "read " + fd}));
}

TEST(IoWatcher, HandlerDestroyedWhileWritingGetsNoRead) {
    ThreadLoop loop;
    SocketPair sockets;
    ASSERT_EQ(::write(sockets.fds[1], "x", 1), 1);
    std::vector<std::string> calls;
    new SelfDestroying(loop.loop(), sockets.fds[0], calls);
    // its watcher went with it, so nothing is left to keep the loop running
    EXPECT_EQ(loop.run(), 0);
    EXPECT_EQ(calls, std::vector<std::string>{"write"});
}

TEST(IoHandler, DispatchesEventBits) {
    Recorder recorder;
    recorder.onActive(5, EV_READ);
    recorder.onActive(5, EV_WRITE);
    recorder.onActive(5, 0);
    recorder.onActive(5, EV_READ | EV_WRITE);
    recorder.onActive(5, EV_ERROR);
    recorder.onActive(5, EV_READ | EV_ERROR);
    EXPECT_EQ(recorder.calls, (std::vector<std::string>{"read 5", "write 5", "write 5", "read 5", "read 5"}));
}

TEST(IoWatcher, StopsWhenDestroyedAndStopIsIdempotent) {
    ThreadLoop loop;
    Pipe pipe;
    Recorder recorder;
    {
        IoWatcher watcher(&recorder, pipe.reader(), EV_READ);
        watcher.start(loop.loop());
        EXPECT_EQ(ev_run(loop.loop(), EVRUN_NOWAIT), 1);
    }
    // nothing active is left: a run returns at once instead of waiting
    EXPECT_EQ(loop.run(), 0);

    IoWatcher watcher(&recorder, pipe.reader(), EV_READ);
    watcher.stop();
    watcher.start(loop.loop());
    watcher.stop();
    watcher.stop();
    EXPECT_EQ(watcher.loop(), nullptr);
    EXPECT_EQ(loop.run(), 0);
    pipe.write("later");
    // restarted, it sees what arrived meanwhile
    watcher.start(loop.loop());
    loop.run(EVRUN_ONCE);
    EXPECT_EQ(recorder.received, "later");
}
