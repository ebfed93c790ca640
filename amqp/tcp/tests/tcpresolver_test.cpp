#include <chrono>
#include <cstring>
#include <netdb.h>
#include <string>
#include <thread>
#include <unistd.h>

#include <gtest/gtest.h>

#include "amqp/tcp/connectionorder.h"
#include "amqp/tcp/tcpresolver.h"
#include "amqp/tcp/tests/fakelookup.h"
#include "amqp/tcp/tests/transportparent.h"
#include "testsupport/listener.h"

using namespace AMQP;
using namespace AMQP::Test;
using namespace Orvanta::Test;

namespace {

// starts resolving host:port and returns the pipe the loop would watch
int start(TransportParent& parent, const std::string& host, int port, const char* order = nullptr,
          bool secure = false, int timeout = 5) {
    parent.state.reset(new TcpResolver(&parent, host, port, secure, timeout, ConnectionOrder(order)));
    EXPECT_EQ(parent.events.size(), 1u);
    int pipe = -1;
    EXPECT_EQ(sscanf(parent.events.at(0).c_str(), "idle %d 1", &pipe), 1);
    parent.events.clear();
    return pipe;
}

// waits for the worker's notification and lets the state hand over
void finish(TransportParent& parent, int pipe, int milliseconds = 5000) {
    ASSERT_TRUE(readableWithin(pipe, milliseconds));
    parent.process(pipe, 1);
}

std::vector<std::string> failed(const std::string& message, int pipe) {
    return {"error " + message, "idle " + std::to_string(pipe) + " 0"};
}

} // namespace

TEST(TcpResolver, ConnectsAndHandsTheOutputQueuedMeanwhileToTheConnectedState) {
    Listener listener;
    TransportParent parent;
    int pipe = start(parent, "127.0.0.1", listener.port());
    EXPECT_EQ(parent.state->fileno(), -1);
    parent.state->send("AMQP", 4);
    parent.state->send("\0\0\x09\x01", 4);
    EXPECT_EQ(parent.state->queued(), 8u);
    // events of other descriptors or other kinds are not the notification
    parent.process(pipe, 2);
    parent.process(pipe + 100, 1);
    finish(parent, pipe);
    int fd = parent.state->fileno();
    ASSERT_GE(fd, 0);
    EXPECT_FALSE(parent.state->closed());
    EXPECT_EQ(parent.events, (std::vector<std::string>{"connected", "idle " + std::to_string(fd) + " 1",
                                                       "idle " + std::to_string(pipe) + " 0"}));
    int peer = listener.accept();
    ASSERT_GE(peer, 0);
    char got[8];
    ASSERT_EQ(read(peer, got, 8), 8);
    EXPECT_EQ(std::string(got, 8), std::string("AMQP\0\0\x09\x01", 8));
    close(peer);
}

TEST(TcpResolver, ARefusedConnectReportsTheSystemTextWithoutASocket) {
    TransportParent parent;
    int pipe = start(parent, "127.0.0.1", Listener::closedPort());
    finish(parent, pipe);
    EXPECT_TRUE(parent.state->closed());
    EXPECT_EQ(parent.events, failed(strerror(ECONNREFUSED), pipe));
}

TEST(TcpResolver, ALookupFailureIsReported) {
    FakeLookup lookup;
    TransportParent parent;
    int pipe = start(parent, "nowhere", 5672);
    finish(parent, pipe);
    EXPECT_EQ(parent.events, failed(gai_strerror(EAI_NONAME), pipe));
}

TEST(TcpResolver, ASecureAddressFailsBeforeAnyLookup) {
    FakeLookup lookup;
    TransportParent parent;
    int pipe = start(parent, "several", 5671, nullptr, true);
    finish(parent, pipe);
    EXPECT_EQ(FakeLookup::calls(), 0);
    EXPECT_EQ(parent.events,
              failed("Secure connection cannot be established: libssl.so cannot be loaded", pipe));
}

TEST(TcpResolver, AConnectThatHangsTimesOutAfterTheLimit) {
    Listener listener("127.0.0.1", 0, 0);
    listener.fill();
    TransportParent parent;
    auto begin = std::chrono::steady_clock::now();
    int pipe = start(parent, "127.0.0.1", listener.port(), nullptr, false, 1);
    finish(parent, pipe, 5000);
    auto took = std::chrono::steady_clock::now() - begin;
    EXPECT_EQ(parent.events, failed("connection timed out", pipe));
    EXPECT_GE(took, std::chrono::milliseconds(900));
    EXPECT_LT(took, std::chrono::milliseconds(3000));
}

TEST(TcpResolver, ANonPositiveLimitFallsBackToTheDefaultInsteadOfWaitingForever) {
    Listener listener("127.0.0.1", 0, 0);
    listener.fill();
    TransportParent parent;
    auto begin = std::chrono::steady_clock::now();
    int pipe = start(parent, "127.0.0.1", listener.port(), nullptr, false, -1);
    finish(parent, pipe, 10000);
    EXPECT_EQ(parent.events, failed("connection timed out", pipe));
    EXPECT_GE(std::chrono::steady_clock::now() - begin, std::chrono::milliseconds(4900));
}

TEST(TcpResolver, TriesTheAddressesInTheAskedOrder) {
    Listener four("127.0.0.1");
    Listener six("::1", four.port());
    FakeLookup lookup({"127.0.0.1", "::1"});
    for (auto [order, winner] : {std::pair<const char*, Listener*>{"asc", &four},
                                 {"desc", &six},
                                 {nullptr, &four},
                                 {"Descending", &four}}) {
        TransportParent parent;
        int pipe = start(parent, "several", four.port(), order);
        finish(parent, pipe);
        EXPECT_EQ(parent.events.at(0), "connected") << (order ? order : "null");
        int peer = winner->accept(1000);
        EXPECT_GE(peer, 0) << (order ? order : "null");
        if (peer >= 0) close(peer);
    }
}

TEST(TcpResolver, AnAddressThatFailsAtOnceGivesWayToTheNext) {
    Listener listener("127.0.0.1");
    // nothing listens on ::1 at this port: refused at once, then IPv4 works
    FakeLookup lookup({"::1", "127.0.0.1"});
    TransportParent parent;
    auto begin = std::chrono::steady_clock::now();
    int pipe = start(parent, "several", listener.port(), nullptr, false, 3);
    finish(parent, pipe);
    EXPECT_LT(std::chrono::steady_clock::now() - begin, std::chrono::milliseconds(1500));
    EXPECT_EQ(parent.events.at(0), "connected");
}

TEST(TcpResolver, TheLastAddressFailureIsTheOneReported) {
    Listener full("127.0.0.1", 0, 0);
    full.fill();
    // IPv6 first: nothing listens there (refused), then IPv4 hangs
    FakeLookup lookup({"::1", "127.0.0.1"});
    TransportParent parent;
    int pipe = start(parent, "several", full.port(), nullptr, false, 1);
    finish(parent, pipe);
    EXPECT_EQ(parent.events, failed("connection timed out", pipe));
    parent.events.clear();
    pipe = start(parent, "several", full.port(), "asc", false, 1);
    finish(parent, pipe);
    EXPECT_EQ(parent.events, failed(strerror(ECONNREFUSED), pipe));
}

TEST(TcpResolver, DestroyingItWaitsForTheWorkerAndReleasesItsSocket) {
    Listener listener;
    FakeLookup lookup;
    TransportParent parent;
    int pipe = start(parent, "slow", listener.port());
    parent.state.reset();
    // the worker connected while the destructor waited for it; the socket,
    // never handed over, is closed without a report
    EXPECT_EQ(parent.events, std::vector<std::string>{"idle " + std::to_string(pipe) + " 0"});
    int peer = listener.accept();
    ASSERT_GE(peer, 0);
    EXPECT_EQ(readAll(peer), "");
    close(peer);
}

// A connect under way is given up when the state goes: closing does not wait
// for its time limit.
TEST(TcpResolver, DestroyingItGivesUpAConnectThatHangs) {
    Listener listener("127.0.0.1", 0, 0);
    listener.fill();
    TransportParent parent;
    int pipe = start(parent, "127.0.0.1", listener.port(), nullptr, false, 120);
    // the worker is in its connect
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    auto begin = std::chrono::steady_clock::now();
    parent.state.reset();
    EXPECT_LT(std::chrono::steady_clock::now() - begin, std::chrono::seconds(60));
    EXPECT_EQ(parent.events, std::vector<std::string>{"idle " + std::to_string(pipe) + " 0"});
}

TEST(TcpResolver, AParentThatDiesOnTheFailureIsNotTouchedAgain) {
    auto parent = std::make_unique<TransportParent>();
    int pipe = start(*parent, "127.0.0.1", Listener::closedPort());
    ASSERT_TRUE(readableWithin(pipe, 5000));
    // the failure report destroys the state (as an abrupt close would)
    parent->onFailure = [&] { parent->state.reset(); };
    parent->process(pipe, 1);
    EXPECT_EQ(parent->state, nullptr);
}

TEST(TcpResolver, AConnectThatFailsAtOnceIsNotMistakenForAConnectedSocket) {
    // TCP to the broadcast address is refused by the kernel before any packet
    // leaves; its socket then polls as writable with no error pending
    FakeLookup lookup({"255.255.255.255"});
    TransportParent parent;
    int pipe = start(parent, "several", 5672);
    finish(parent, pipe);
    EXPECT_EQ(parent.events, failed(strerror(ENETUNREACH), pipe));

    Listener listener;
    FakeLookup fallback({"255.255.255.255", "127.0.0.1"});
    parent.events.clear();
    pipe = start(parent, "several", listener.port());
    finish(parent, pipe);
    EXPECT_EQ(parent.events.at(0), "connected");
}
