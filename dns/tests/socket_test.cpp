// What a socket does with the answers it received, before any lookup sees
// them: only answers, and each offered to every lookup waiting for that id
// from that server until one takes it.
#include "dns/tests/wire.h"
#include "dns/transport/socket.h"

#include <gtest/gtest.h>
#include <vector>

using Orvanta::Test::Wire;

namespace {

class Queue : public DNS::Socket, public DNS::Socket::Handler {
public:
    Queue() : DNS::Socket(this) {}
    void onActive(DNS::Socket*) override { ++wakes; }
    void reset() override {}
    int wakes = 0;
};

// Takes answers whose first question has its type.
class Lookup : public DNS::Processor {
public:
    explicit Lookup(unsigned type) : _type(type) {}
    bool onReceived(const DNS::Ip&, const DNS::Response& response) override {
        ++offered;
        return response.entry(ns_s_qd, 0).type == _type;
    }
    bool onLost(const DNS::Ip&) override { return false; }
    int offered = 0;

private:
    unsigned _type;
};

void deliver(Queue& queue, const char* sender, const Wire& wire) {
    queue.add(DNS::Ip(sender), reinterpret_cast<const unsigned char*>(wire.bytes.data()), wire.bytes.size());
}

Wire answer(unsigned id, unsigned type, unsigned flags = 0x8180) {
    return Wire().header(id, flags, 1, 0).name("x.test").u16(type).u16(1);
}

TEST(Socket, OffersAnAnswerUntilALookupTakesIt) {
    Queue queue;
    DNS::Ip server("192.0.2.53");
    // two lookups that drew the same id (the one that declines the answer
    // comes first), a third with another one
    Lookup same[2] = {Lookup(1), Lookup(28)};
    Lookup& a = same[0];
    Lookup& aaaa = same[1];
    Lookup other(1);
    queue.subscribe(&a, server, 7);
    queue.subscribe(&aaaa, server, 7);
    queue.subscribe(&other, server, 8);

    deliver(queue, "192.0.2.53", answer(7, 28));
    // not from the server asked, not an answer, not a message
    deliver(queue, "192.0.2.54", answer(7, 1));
    deliver(queue, "192.0.2.53", answer(7, 1, 0x0180));
    deliver(queue, "192.0.2.53", Wire().u16(7));
    // nobody waits for id 9
    deliver(queue, "192.0.2.53", answer(9, 1));
    EXPECT_EQ(queue.wakes, 5);
    EXPECT_TRUE(queue.active());

    EXPECT_EQ(queue.process(64), 1u);
    EXPECT_EQ(a.offered, 1);
    EXPECT_EQ(aaaa.offered, 1);
    EXPECT_EQ(other.offered, 0);
    EXPECT_FALSE(queue.active());
}

TEST(Socket, DeliversWithinItsBudget) {
    Queue queue;
    DNS::Ip server("192.0.2.53");
    std::vector<Lookup> lookups(40, Lookup(1));
    for (size_t i = 0; i < lookups.size(); ++i) {
        queue.subscribe(&lookups[i], server, uint16_t(100 + i));
        deliver(queue, "192.0.2.53", answer(unsigned(100 + i), 1));
    }
    EXPECT_EQ(queue.process(24), 24u);
    EXPECT_TRUE(queue.active());
    EXPECT_EQ(queue.process(64), 16u);
    EXPECT_FALSE(queue.active());
}

} // namespace
