// The resolver against a name server that misbehaves in the ways a real one
// will not (see misbehaving.py), in a private network namespace. Needs
// root; skips without it.
#include "dns/resolver/blockingcontext.h"
#include "dns/resolver/config.h"
#include "dns/resolver/core.h"
#include "dns/resolver/resources.h"
#include "dns/tests/namespace/answers.h"
#include "dns/tests/namespace/namespace.h"
#include "dns/wire/operation.h"
#include "testsupport/process.h"

#include <chrono>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <thread>

using namespace Orvanta::Test;

namespace {

// The server's log: one line per query it received.
std::string read(const std::string& path) {
    std::ostringstream text;
    text << std::ifstream(path).rdbuf();
    return text.str();
}

// one per process: a new scratch folder replaces the last one
const std::string& folder() {
    static const std::string path = scratchDir("dns_misbehaving");
    return path;
}

// A log of its own for each server: the "ready" of an earlier server in
// the same mode must not pass for this one's.
std::string logPath(const char* mode, const char* address) {
    static int servers = 0;
    return folder() + "/" + mode + "_" + address + "_" + std::to_string(++servers) + ".log";
}

// A server started in `mode` on `address`; its log tells what it received.
class Server {
public:
    Server(const char* mode, const char* address = "127.0.0.2")
        : _log(logPath(mode, address)),
          _child({python3(), ORVANTA_SOURCE_DIR "/dns/tests/namespace/misbehaving.py", mode, address}, _log) {
        auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        for (std::string first; first != "ready" && std::chrono::steady_clock::now() < deadline;) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
            std::ifstream(_log) >> first;
        }
    }
    std::string log() const { return read(_log); }

private:
    std::string _log;
    Child _child;
};

size_t count(const std::string& log, const std::string& word) {
    size_t n = 0;
    for (size_t at = log.find(word); at != std::string::npos; at = log.find(word, at + 1))
        ++n;
    return n;
}

// The server's log once it shows `datagrams` queries over UDP, or after a
// few seconds: a datagram that the lookup sent after the answer it took may
// reach the server after the lookup ended.
std::string serve(const char* mode, const std::function<void()>& work, size_t datagrams = 0) {
    Server server(mode);
    work();
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (count(server.log(), "udp ") < datagrams && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    return server.log();
}

class Misbehaving : public ::testing::Test {
protected:
    void SetUp() override {
        std::string reason;
        if (!enterNamespace(reason)) GTEST_SKIP() << reason;
    }

    static std::shared_ptr<DNS::Config> config() {
        auto config = std::make_shared<DNS::Config>();
        config->nameserver(DNS::Ip("127.0.0.2")).timeout(0.4).interval(0.2).attempts(2);
        return config;
    }
};

TEST_F(Misbehaving, OnlyTheAnswerToTheQueryCounts) {
    struct Case {
        const char* mode;
        std::string kind;
        int rcode;
        std::vector<std::string> answers;
        size_t datagrams; // queries the server saw over UDP
        size_t streams;   // and over TCP
    } cases[] = {
        // an answer with another id, from another port, without QR, for
        // another question, or not a message at all is ignored: the right
        // one that follows is taken
        {"wrong-id", "answer", 0, {"A 192.0.2.1"}, 1, 0},
        {"other-port", "answer", 0, {"A 192.0.2.1"}, 1, 0},
        {"qr-clear", "answer", 0, {"A 192.0.2.1"}, 1, 0},
        {"wrong-question", "answer", 0, {"A 192.0.2.1"}, 1, 0},
        {"garbage", "answer", 0, {"A 192.0.2.1"}, 1, 0},
        {"flood", "answer", 0, {"A 192.0.2.1"}, 1, 0},
        // the first answer wins; the second finds nobody
        {"second-answer", "answer", 0, {"A 192.0.2.1"}, 1, 0},
        // an answer that declines counts as a failed attempt: asked again,
        // the last answer stands
        {"servfail", "answer", 2, {}, 2, 0},
        {"refused", "answer", 5, {}, 2, 0},
        // retried once after the interval, then the time-out
        {"silence", "timeout", -1, {}, 2, 0},
        // truncated: the same server over TCP
        {"truncated", "answer", 0, {"A 192.0.2.1"}, 1, 1},
        // no answer over TCP within the time-out: a failed attempt, the
        // next one goes out; after the last the truncated answer stands
        {"tcp-silent", "answer", 0, {}, 2, 2},
    };
    for (const Case& c : cases) {
        Outcome outcome;
        std::string log = serve(
            c.mode, [&] { outcome = Resolver(config()).lookup("x.test", ns_t_a); }, c.datagrams);
        EXPECT_EQ(outcome.kind, c.kind) << c.mode;
        EXPECT_EQ(outcome.rcode, c.rcode) << c.mode;
        EXPECT_EQ(outcome.answers, c.answers) << c.mode;
        EXPECT_EQ(count(log, "udp "), c.datagrams) << c.mode << "\n" << log;
        EXPECT_EQ(count(log, "tcp "), c.streams) << c.mode << "\n" << log;
    }
}

TEST_F(Misbehaving, ATruncatedAnswerStandsWhenTcpFails) {
    // Each failed exchange over TCP is a failed attempt, and the truncated
    // answer of the last one is reported. Refused: the next attempt at once.
    // Closed without an answer: ten more connections, then the next attempt.
    for (const char* mode : {"tcp-refused", "tcp-close"}) {
        Outcome outcome;
        std::string log = serve(
            mode, [&] { outcome = Resolver(config()).lookup("x.test", ns_t_a); }, 2);
        EXPECT_EQ(outcome.kind, "answer") << mode;
        EXPECT_EQ(outcome.rcode, 0) << mode;
        EXPECT_TRUE(outcome.answers.empty()) << mode;
        EXPECT_EQ(count(log, "udp "), 2u) << log;
        EXPECT_EQ(count(log, "tcp closed"), std::string(mode) == "tcp-close" ? 22u : 0u) << log;
    }
}

TEST_F(Misbehaving, RetriesGoToTheServersInTurn) {
    Server first("silence", "127.0.0.2"), second("silence", "127.0.0.3");
    auto twoServers = config();
    twoServers->nameserver(DNS::Ip("127.0.0.3")).attempts(3).interval(0.1).timeout(0.2);
    auto start = std::chrono::steady_clock::now();
    Outcome outcome = Resolver(twoServers).lookup("x.test", ns_t_a);
    double elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    EXPECT_EQ(outcome.kind, "timeout");
    // servers 0, 1, 0, then the time-out after the third
    EXPECT_EQ(count(first.log(), "udp "), 2u) << first.log();
    EXPECT_EQ(count(second.log(), "udp "), 1u) << second.log();
    EXPECT_GE(elapsed, 0.4);
    EXPECT_LT(elapsed, 2.0);
}

TEST_F(Misbehaving, AServerThatDeclinesPassesTheQueryOn) {
    struct Case {
        const char* first;
        const char* second;
        int rcode;
        std::vector<std::string> answers;
    } cases[] = {
        {"servfail", "proper", 0, {"A 192.0.2.1"}},
        {"refused", "proper", 0, {"A 192.0.2.1"}},
        // both decline: the last answer is reported
        {"refused", "servfail", 2, {}},
        {"servfail", "refused", 5, {}},
        // truncated, then no exchange over TCP, or one that declines: the
        // next server as well
        {"tcp-refused", "proper", 0, {"A 192.0.2.1"}},
        {"tcp-close", "proper", 0, {"A 192.0.2.1"}},
        {"tcp-servfail", "proper", 0, {"A 192.0.2.1"}},
    };
    for (const Case& c : cases) {
        Server first(c.first, "127.0.0.2"), second(c.second, "127.0.0.3");
        auto twoServers = config();
        // the interval is far beyond a server's reply: the second server is
        // asked because the first declined
        twoServers->nameserver(DNS::Ip("127.0.0.3")).timeout(5).interval(5);
        Outcome outcome = Resolver(twoServers).lookup("x.test", ns_t_a);
        EXPECT_EQ(outcome.kind, "answer") << c.first << " " << c.second;
        EXPECT_EQ(outcome.rcode, c.rcode) << c.first << " " << c.second;
        EXPECT_EQ(outcome.answers, c.answers) << c.first << " " << c.second;
        EXPECT_EQ(count(first.log(), "udp "), 1u) << first.log();
        EXPECT_EQ(count(second.log(), "udp "), 1u) << second.log();

        ProcessResult oracle = runProcess({python3(), "-c",
                                           "import sys, dns.resolver\n"
                                           "r = dns.resolver.Resolver(configure=False)\n"
                                           "r.nameservers = sys.argv[1:]\n"
                                           "r.timeout, r.lifetime = 5, 20\n"
                                           "try:\n"
                                           "    for a in r.resolve('x.test', 'A'): print('A', a)\n"
                                           "except dns.resolver.NoNameservers: pass\n",
                                           "127.0.0.2", "127.0.0.3"});
        ASSERT_EQ(oracle.status, 0) << oracle.err;
        std::string expected;
        for (const std::string& answer : outcome.answers)
            expected += answer + "\n";
        EXPECT_EQ(oracle.out, expected) << c.first << " " << c.second;

        // the blocking key query goes the same way
        Orvanta::Dns::DkimRecords keys;
        EXPECT_TRUE(Orvanta::Dns::Context(*twoServers).query("s._domainkey.x.test", ns_t_txt, &keys));
        EXPECT_EQ(keys.rcode(), c.rcode) << c.first << " " << c.second;
        EXPECT_EQ(keys.records().size(), c.answers.size()) << c.first << " " << c.second;
    }
}

// Throws from its handler slot.
class Thrower : public DNS::Handler {
public:
    void onReceived(const DNS::Operation*, const DNS::Response&) override {
        throw std::runtime_error("handler");
    }
};

TEST_F(Misbehaving, AHandlersExceptionLeavesTheOtherLookupsRunning) {
    Server server("silence");
    auto local = config();
    local->hosts().parse("192.0.2.9 local.test\n");
    Resolver resolver(local);
    // the hosts file answers at the next turn of the timer, and that handler
    // throws; the other lookup still needs the timer for its retry and its
    // time-out
    Thrower thrower;
    Recorder waiting;
    ASSERT_NE(resolver.context().query("x.test", ns_t_a, DNS::Bits(), &waiting), nullptr);
    ASSERT_NE(resolver.context().query("local.test", ns_t_a, DNS::Bits(), &thrower), nullptr);
    EXPECT_THROW(resolver.run(), std::runtime_error);
    resolver.run();
    EXPECT_EQ(waiting.calls, 1);
    EXPECT_EQ(waiting.outcome.kind, "timeout");
    EXPECT_EQ(count(server.log(), "udp "), 2u) << server.log();
}

TEST_F(Misbehaving, TheHostsFileAnswersItsNamesBeforeTheSearchList) {
    // whether the server is silent or answers every candidate
    for (const char* mode : {"silence", "proper"}) {
        Server server(mode);
        auto searching = config();
        searching->searchpath("one.test");
        searching->hosts().parse("127.0.0.1 localhost\n2001:db8::7 alpha\n");
        Resolver resolver(searching);
        Outcome ipv4 = resolver.lookup("localhost", ns_t_a);
        EXPECT_EQ(ipv4.kind, "answer") << mode;
        EXPECT_EQ(ipv4.answers, std::vector<std::string>{"A 127.0.0.1"}) << mode;
        Outcome ipv6 = resolver.lookup("alpha", ns_t_aaaa);
        EXPECT_EQ(ipv6.kind, "answer") << mode;
        EXPECT_EQ(ipv6.answers, std::vector<std::string>{"AAAA 2001:db8::7"}) << mode;
        EXPECT_EQ(count(server.log(), "udp "), 0u) << mode << "\n" << server.log();
    }
}

TEST_F(Misbehaving, CancelledOrAbandonedLookupsEndCleanly) {
    Server server("silence");
    Resolver resolver(config());
    Recorder cancelled;
    DNS::Operation* operation = resolver.context().query("x.test", ns_t_a, DNS::Bits(), &cancelled);
    ASSERT_NE(operation, nullptr);
    EXPECT_EQ(resolver.context().core().inflight(), 1u);
    operation->cancel();
    EXPECT_EQ(cancelled.calls, 1);
    EXPECT_EQ(cancelled.outcome.kind, "cancelled");
    EXPECT_EQ(resolver.context().core().inflight(), 0u);
    resolver.run();
    EXPECT_EQ(cancelled.calls, 1);

    // A short name goes through the search list: cancelling it cancels the
    // lookup of the current candidate.
    auto searching = config();
    searching->searchpath("one.test").searchpath("two.test");
    Resolver search(searching);
    Recorder walker;
    operation = search.context().query("x", ns_t_a, DNS::Bits(), &walker);
    ASSERT_NE(operation, nullptr);
    operation->cancel();
    EXPECT_EQ(walker.calls, 1);
    EXPECT_EQ(walker.outcome.kind, "cancelled");

    // Destroyed with lookups in flight: no callback, nothing left behind
    // (the sanitized build checks for leaks).
    int called = 0;
    {
        Resolver abandoned(searching);
        for (const char* name : {"x", "x.test", "y.test"}) {
            EXPECT_NE(abandoned.context().query(
                          name, ns_t_a, DNS::Bits(),
                          [&](const DNS::Operation*, const DNS::Response&) { ++called; },
                          [&](const DNS::Operation*, int) { ++called; }),
                      nullptr);
        }
    }
    EXPECT_EQ(called, 0);

    // Never started: the callbacks are released at once.
    std::string tooLong = std::string(64, 'x') + ".test";
    EXPECT_EQ(resolver.context().query(
                  tooLong.c_str(), ns_t_a, DNS::Bits(),
                  [&](const DNS::Operation*, const DNS::Response&) { ++called; },
                  [&](const DNS::Operation*, int) { ++called; }),
              nullptr);
    // a short name whose every candidate is too long
    EXPECT_EQ(search.context().query(
                  std::string(64, 'x').c_str(), ns_t_a, DNS::Bits(),
                  [&](const DNS::Operation*, const DNS::Response&) { ++called; },
                  [&](const DNS::Operation*, int) { ++called; }),
              nullptr);
    EXPECT_EQ(called, 0);
}

} // namespace
