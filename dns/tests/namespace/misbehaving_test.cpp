// The resolver against a name server that misbehaves in the ways a real one
// will not (see misbehaving.py), in a private network namespace. Needs
// root; skips without it.
#include "dns/config.h"
#include "dns/tests/namespace/answers.h"
#include "dns/tests/namespace/namespace.h"
#include "testsupport/process.h"

#include <chrono>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <thread>

using namespace Orvanta::Test;

namespace {

// The server's log: one line per query it received.
std::string serve(const char* mode, const std::function<void()>& work) {
    std::string log = scratchDir("dns_misbehaving") + "/" + mode + ".log";
    Child server({python3(), ORVANTA_SOURCE_DIR "/dns/tests/namespace/misbehaving.py", mode}, log);
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    for (std::string first; first != "ready" && std::chrono::steady_clock::now() < deadline;) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        std::ifstream(log) >> first;
    }
    work();
    std::ostringstream text;
    text << std::ifstream(log).rdbuf();
    return text.str();
}

size_t count(const std::string& log, const std::string& word) {
    size_t n = 0;
    for (size_t at = log.find(word); at != std::string::npos; at = log.find(word, at + 1))
        ++n;
    return n;
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
        {"servfail", "answer", 2, {}, 1, 0},
        // retried once after the interval, then the time-out
        {"silence", "timeout", -1, {}, 2, 0},
        // truncated: the same server over TCP
        {"truncated", "answer", 0, {"A 192.0.2.1"}, 1, 1},
    };
    for (const Case& c : cases) {
        Outcome outcome;
        std::string log = serve(c.mode, [&] { outcome = Resolver(config()).lookup("x.test", ns_t_a); });
        EXPECT_EQ(outcome.kind, c.kind) << c.mode;
        EXPECT_EQ(outcome.rcode, c.rcode) << c.mode;
        EXPECT_EQ(outcome.answers, c.answers) << c.mode;
        EXPECT_EQ(count(log, "udp "), c.datagrams) << c.mode << "\n" << log;
        EXPECT_EQ(count(log, "tcp "), c.streams) << c.mode << "\n" << log;
    }
}

TEST_F(Misbehaving, ATruncatedAnswerStandsWhenTcpFails) {
    // Refused: the truncated answer is reported at once. Closed without an
    // answer: ten more connections, then the truncated answer.
    for (const char* mode : {"tcp-refused", "tcp-close"}) {
        Outcome outcome;
        std::string log = serve(mode, [&] { outcome = Resolver(config()).lookup("x.test", ns_t_a); });
        EXPECT_EQ(outcome.kind, "answer") << mode;
        EXPECT_EQ(outcome.rcode, 0) << mode;
        EXPECT_TRUE(outcome.answers.empty()) << mode;
        EXPECT_EQ(count(log, "tcp closed"), std::string(mode) == "tcp-close" ? 11u : 0u) << log;
    }
}

} // namespace
