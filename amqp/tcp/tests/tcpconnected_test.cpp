#include <cerrno>
#include <string>
#include <sys/socket.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "amqp/tcp/tcpconnected.h"
#include "amqp/tcp/tests/transportparent.h"
#include "testsupport/listener.h"

using namespace AMQP;
using namespace AMQP::Test;
using namespace Orvanta::Test;

namespace {

// a connected state over one end of a socket pair; the test holds the other
class ConnectedTest : public ::testing::Test {
protected:
    void SetUp() override {
        int fds[2];
        ASSERT_EQ(socketpair(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK, 0, fds), 0);
        fd = fds[0];
        peer = fds[1];
    }
    void TearDown() override {
        parent.state.reset();
        if (peer >= 0) close(peer);
    }
    void connect(const std::string& queued = "") {
        SocketState previous(&parent, fd);
        TcpOutBuffer output;
        output.add(queued.data(), queued.size());
        parent.state.reset(new TcpConnected(&previous, std::move(output)));
        EXPECT_EQ(previous.fileno(), -1);
    }
    void put(const std::string& bytes) {
        ASSERT_EQ(write(peer, bytes.data(), bytes.size()), ssize_t(bytes.size()));
    }
    std::string idle(int flags) const { return "idle " + std::to_string(fd) + " " + std::to_string(flags); }
    std::vector<std::string> released() const { return {idle(0), "lost"}; }

    TransportParent parent;
    int fd = -1;
    int peer = -1;
};

} // namespace

TEST_F(ConnectedTest, WritesTheQueuedOutputAtOnceAndThenWatchesForInput) {
    connect("AMQP\0\0\x09\x01");
    EXPECT_EQ(parent.events, std::vector<std::string>{idle(1)});
    EXPECT_EQ(parent.state->queued(), 0u);
    EXPECT_EQ(parent.state->fileno(), fd);
    EXPECT_EQ(readAll(peer, 100), "AMQP");
}

TEST_F(ConnectedTest, ReadsFrameByFrameAsTheParserExpects) {
    connect();
    put(std::string(10, 'a') + std::string(7, 'b'));
    // a 7-byte header arrives in pieces: never more than what is missing
    parent.expect = 7;
    parent.consume = [](const std::string&) { return size_t(0); };
    parent.process(fd, 1);
    ASSERT_EQ(parent.received.size(), 1u);
    EXPECT_EQ(parent.received[0], "aaaaaaa");
    // the header announced a 10-byte frame: 3 more bytes, not 10
    parent.expect = 10;
    parent.consume = [](const std::string& bytes) { return bytes.size(); };
    parent.process(fd, 1);
    EXPECT_EQ(parent.received.at(1), "aaaaaaaaaa");
    parent.expect = 7;
    parent.process(fd, 1);
    EXPECT_EQ(parent.received.at(2), "bbbbbbb");
    // nothing waiting: the read would block, which is no failure
    parent.process(fd, 1);
    EXPECT_EQ(parent.received.size(), 3u);
    EXPECT_FALSE(parent.state->closed());
}

TEST_F(ConnectedTest, APeerThatClosesIsALostConnection) {
    connect();
    parent.events.clear();
    close(peer);
    peer = -1;
    parent.process(fd, 1);
    EXPECT_TRUE(parent.state->closed());
    std::vector<std::string> expected = {"error connection lost (connected)"};
    expected.insert(expected.end(), {idle(0), "lost"});
    EXPECT_EQ(parent.events, expected);
}

TEST_F(ConnectedTest, CloseShutsTheWritingSideAndTheLaterEndIsSilent) {
    connect();
    parent.events.clear();
    parent.state->close();
    parent.state->close();
    EXPECT_EQ(parent.events, std::vector<std::string>{idle(1)});
    parent.state->send("late", 4);
    EXPECT_EQ(readAll(peer, 200), "");
    close(peer);
    peer = -1;
    parent.events.clear();
    parent.process(fd, 1);
    EXPECT_TRUE(parent.state->closed());
    EXPECT_EQ(parent.events, released());
    // the closed state drops data and ignores events
    parent.state->send("x", 1);
    parent.process(fd, 3);
    EXPECT_EQ(parent.state->queued(), 0u);
    EXPECT_EQ(parent.state->fileno(), -1);
}

TEST_F(ConnectedTest, OutputTheSocketCannotTakeIsQueuedAndWrittenInOrder) {
    connect();
    parent.events.clear();
    std::string big(4 << 20, 'x');
    for (size_t i = 0; i < big.size(); i += 4093)
        big[i] = char('a' + i % 26);
    parent.state->send(big.data(), big.size());
    ASSERT_GT(parent.state->queued(), 0u);
    EXPECT_EQ(parent.events, std::vector<std::string>{idle(3)});
    parent.state->send("tail", 4);
    // closing with output queued waits for it before the shutdown
    parent.state->close();
    std::string got;
    while (parent.state->queued() > 0) {
        got += readAll(peer, 10);
        parent.process(fd, 2);
    }
    EXPECT_EQ(parent.events.back(), idle(1));
    got += readAll(peer, 200);
    EXPECT_EQ(got, big + "tail");
}

TEST_F(ConnectedTest, AFailedWriteIsALostConnection) {
    connect();
    std::string big(4 << 20, 'x');
    parent.state->send(big.data(), big.size());
    close(peer);
    peer = -1;
    parent.events.clear();
    parent.process(fd, 2);
    EXPECT_TRUE(parent.state->closed());
    EXPECT_EQ(parent.events.at(0), "error connection lost (connected)");
}

TEST_F(ConnectedTest, AFrameSizeOfZeroStillReceivesFramesLargerThanTheFirstBlock) {
    connect();
    put(std::string(7, 'h'));
    // a broker without a frame limit announces 0 in its tune
    parent.consume = [&](const std::string& bytes) {
        parent.state->maxframe(0);
        return bytes.size();
    };
    parent.process(fd, 1);
    parent.consume = [](const std::string& bytes) { return bytes.size() == 10000 ? bytes.size() : 0; };
    parent.expect = 10000;
    std::string frame(10000, 'f');
    frame.back() = '\xce';
    put(frame);
    while (parent.received.back().size() < frame.size() && readableWithin(fd, 1000))
        parent.process(fd, 1);
    EXPECT_EQ(parent.received.back(), frame);
    EXPECT_FALSE(parent.state->closed());
}

TEST_F(ConnectedTest, AFrameBeyondTheBufferLimitEndsTheConnection) {
    connect();
    put("header!");
    parent.expect = TcpInBuffer::limit + 1;
    parent.events.clear();
    parent.process(fd, 1);
    EXPECT_TRUE(parent.state->closed());
    EXPECT_EQ(parent.events.at(0), "error frame size exceeded (connected)");
}

TEST_F(ConnectedTest, AParseThatDestroysTheStateLeavesItAlone) {
    connect();
    put("0123456");
    parent.consume = [&](const std::string&) {
        parent.state.reset();
        return size_t(7);
    };
    parent.process(fd, 1);
    EXPECT_EQ(parent.state, nullptr);
}

TEST_F(ConnectedTest, AFailureReportThatDestroysTheStateLeavesItAlone) {
    connect();
    close(peer);
    peer = -1;
    parent.onFailure = [&] { parent.state.reset(); };
    parent.process(fd, 1);
    EXPECT_EQ(parent.state, nullptr);
}

TEST_F(ConnectedTest, AWatchThatDestroysTheStateOnceTheOutputIsWrittenLeavesItAlone) {
    // the socket ready both ways: the read that would follow the last write
    // must not touch the destroyed state
    connect();
    std::string big(4 << 20, 'x');
    parent.state->send(big.data(), big.size());
    parent.onWatch = [&](int flags) {
        if (flags == 1) parent.state.reset();
    };
    for (int round = 0; round < 100000 && parent.state; ++round) {
        readAll(peer, 10);
        parent.process(fd, 3);
    }
    EXPECT_EQ(parent.state, nullptr);
}

TEST_F(ConnectedTest, EventsOfOtherDescriptorsAreIgnored) {
    connect();
    put("0123456");
    parent.process(fd + 100, 3);
    EXPECT_TRUE(parent.received.empty());
}
