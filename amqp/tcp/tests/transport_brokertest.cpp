#include <algorithm>
#include <arpa/inet.h>
#include <chrono>
#include <functional>
#include <memory>
#include <netinet/in.h>
#include <new>
#include <stdexcept>
#include <string>
#include <sys/socket.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "amqp/address.h"
#include "amqp/deferred/deferred.h"
#include "amqp/deferred/deferredpublish.h"
#include "amqp/deferred/deferredqueue.h"
#include "amqp/flags.h"
#include "amqp/reliable.h"
#include "amqp/tcp/tcpchannel.h"
#include "amqp/tcp/tcpconnection.h"
#include "amqp/tcp/tests/recordinghandler.h"
#include "amqp/values/envelope.h"
#include "amqp/values/table.h"
#include "testsupport/broker.h"
#include "testsupport/brokerproxy.h"
#include "testsupport/listener.h"

using namespace AMQP;
using namespace AMQP::Test;
using namespace Orvanta::Test;
using Orvanta::Test::amqpTool;
using Orvanta::Test::brokerAddress;
using Orvanta::Test::brokerCtl;
using Orvanta::Test::brokerPort;
using Orvanta::Test::python3;
using Orvanta::Test::runProcess;

namespace {

Address address(const std::string& text) {
    return Address(text.data(), text.size());
}

// a queue of its own for each test, gone afterwards
class Queue {
public:
    explicit Queue(const std::string& name) : _name(name + "-" + std::to_string(getpid())) {
        EXPECT_EQ(amqpTool({"declare", _name}).status, 0);
    }
    ~Queue() { amqpTool({"delete", _name}); }
    const std::string& name() const { return _name; }

    // the next message, picked apart by pika: "key=value" lines, the body as
    // its SHA-256 and its length
    std::string take() const {
        auto got = amqpTool({"get", _name});
        if (got.status != 0) return "status " + std::to_string(got.status) + ": " + got.out + got.err;
        auto described = runProcess({python3(), "-c", R"(
import base64, hashlib, json, sys
m = json.load(sys.stdin)
body = base64.b64decode(m.pop("body_base64"))
print("body", len(body), hashlib.sha256(body).hexdigest())
for key in sorted(m):
    if m[key] is not None:
        print(key, json.dumps(m[key], sort_keys=True))
)"},
                                    got.out);
        return described.out + described.err;
    }

private:
    std::string _name;
};

std::string digest(const std::string& body) {
    auto result = runProcess(
        {python3(), "-c",
         "import hashlib,sys; b=sys.stdin.buffer.read(); print(len(b), hashlib.sha256(b).hexdigest())"},
        body);
    return result.out;
}

// publishes body with confirm on a fresh connection and closes it in order
struct Publication {
    Publication(const std::string& url, const std::string& queue, const std::string& body,
                const MetaData& meta)
        : handler(loop.loop()), connection(&handler, address(url)) {
        handler.ready = [&, queue](TcpConnection* ready) {
            channel = std::make_unique<TcpChannel>(ready);
            reliable = std::make_unique<Reliable<>>(*channel);
            Envelope envelope(body.data(), body.size());
            envelope.set(meta);
            reliable->publish("", queue, envelope)
                .onAck([this] { outcome = "ack"; })
                .onNack([this] { outcome = "nack"; })
                .onError([this](const char* message) { outcome = std::string("error ") + message; })
                .onFinalize([this, ready] {
                    // the confirm settled the message: close in order
                    ready->close();
                });
        };
    }

    TestLoop loop;
    RecordingHandler handler;
    TcpConnection connection;
    std::unique_ptr<TcpChannel> channel;
    std::unique_ptr<Reliable<>> reliable;
    std::string outcome;
};

using Events = std::vector<std::string>;

// the events without the watching requests
Events reports(const Events& events) {
    Events out;
    for (auto& event : events)
        if (event.rfind("monitor ", 0) != 0) out.push_back(event);
    return out;
}

// Runs the loop until the handler's connection is ready, for 20 seconds at
// most (a loaded machine may be slow to shake hands), and leaves it ready;
// whether it got there.
bool runUntilReady(TestLoop& loop, RecordingHandler& handler) {
    bool ready = false;
    auto then = handler.ready;
    handler.ready = [&](TcpConnection* connection) {
        if (then) then(connection);
        ready = true;
        ev_break(loop.loop(), EVBREAK_ALL);
    };
    loop.runFor(20);
    handler.ready = then;
    return ready;
}

} // namespace

TEST(TransportBroker, PublishesWithConfirmAndTheMessageArrivesIntact) {
    Queue queue("transport-publish");
    std::string body = "Subject: hello\r\n\r\nbody with \0 and \xff bytes\r\n";
    MetaData meta;
    Table headers;
    headers.set("recipients", "a@example.org,b@example.org");
    headers.set("envelope", "sender@example.org");
    meta.setHeaders(headers);
    meta.setContentType("message/rfc822");
    meta.setContentEncoding("gzip");
    meta.setDeliveryMode(2);
    meta.setMessageID("id-1");
    Publication publication(brokerAddress(), queue.name(), body, meta);
    ASSERT_TRUE(publication.loop.run());
    EXPECT_EQ(publication.outcome, "ack");
    EXPECT_EQ(reports(publication.handler.events),
              (Events{"attached", "connected", "ready", "closed", "lost", "detached"}));
    EXPECT_TRUE(publication.connection.closed());
    std::string expected =
        "body " + digest(body) +
        "content_encoding \"gzip\"\n"
        "content_type \"message/rfc822\"\n"
        "delivery_mode 2\n"
        "exchange \"\"\n"
        "headers {\"envelope\": \"sender@example.org\", \"recipients\": \"a@example.org,b@example.org\"}\n"
        "message_id \"id-1\"\n"
        "routing_key \"" +
        queue.name() + "\"\n";
    EXPECT_EQ(queue.take(), expected);
}

TEST(TransportBroker, ABodyLargerThanTheBrokersFrameSizeTravelsInSeveralFrames) {
    Queue queue("transport-large");
    // the test broker's frame size is 131072 bytes
    std::string body(1 << 20, '\0');
    for (size_t i = 0; i < body.size(); ++i)
        body[i] = char((i * 7919) >> 3);
    MetaData meta;
    Publication publication(brokerAddress(), queue.name(), body, meta);
    ASSERT_TRUE(publication.loop.run());
    EXPECT_EQ(publication.outcome, "ack");
    std::string got = queue.take();
    EXPECT_EQ(got.substr(0, got.find('\n') + 1), "body " + digest(body));
}

TEST(TransportBroker, TheBrokersRefusalOfALoginIsReported) {
    std::string url = brokerAddress();
    url.replace(url.find("guest:guest"), 11, "guest:wrong");
    TestLoop loop;
    RecordingHandler handler(loop.loop());
    TcpConnection connection(&handler, address(url));
    ASSERT_TRUE(loop.run());
    ASSERT_GE(handler.events.size(), 3u);
    std::string error;
    for (auto& event : handler.events)
        if (event.rfind("error ", 0) == 0) error = event;
    EXPECT_NE(error.find("ACCESS_REFUSED"), std::string::npos) << error;
    EXPECT_EQ(handler.events.back(), "detached");
    EXPECT_TRUE(connection.closed());
}

TEST(TransportBroker, AnUnknownVirtualHostIsReported) {
    std::string url = brokerAddress() + "no-such-vhost";
    TestLoop loop;
    RecordingHandler handler(loop.loop());
    TcpConnection connection(&handler, address(url));
    ASSERT_TRUE(loop.run());
    std::string error;
    for (auto& event : handler.events)
        if (event.rfind("error ", 0) == 0) error = event;
    EXPECT_NE(error.find("no-such-vhost"), std::string::npos) << error;
    EXPECT_EQ(handler.events.back(), "detached");
}

TEST(TransportBroker, AConnectionTheBrokerClosesIsReported) {
    TestLoop loop;
    RecordingHandler handler(loop.loop());
    TcpConnection connection(&handler, address(brokerAddress()));
    std::string closing;
    handler.ready = [&](TcpConnection* ready) {
        // the broker names the connection by its two ends
        sockaddr_in local{};
        socklen_t length = sizeof local;
        getsockname(ready->fileno(), reinterpret_cast<sockaddr*>(&local), &length);
        closing = "127.0.0.1:" + std::to_string(ntohs(local.sin_port)) +
                  " -> 127.0.0.1:" + std::to_string(brokerPort());
    };
    // ready first, then let the broker close it from outside the loop
    ASSERT_TRUE(runUntilReady(loop, handler));
    auto listed = brokerCtl({"list_connections", "pid", "name", "--no-table-headers", "--quiet"});
    std::string pid;
    for (size_t at = 0; at < listed.out.size();) {
        size_t end = listed.out.find('\n', at);
        std::string line = listed.out.substr(at, end - at);
        if (line.find(closing) != std::string::npos) pid = line.substr(0, line.find('\t'));
        at = end == std::string::npos ? listed.out.size() : end + 1;
    }
    ASSERT_FALSE(pid.empty()) << listed.out << listed.err;
    EXPECT_EQ(brokerCtl({"close_connection", pid, "go away"}).status, 0);
    ASSERT_TRUE(loop.run());
    std::string error;
    for (auto& event : handler.events)
        if (event.rfind("error ", 0) == 0) error = event;
    EXPECT_NE(error.find("go away"), std::string::npos) << error;
    EXPECT_EQ(handler.events.back(), "detached");
}

TEST(TransportBroker, HeartbeatsKeepAQuietConnectionOpen) {
    TestLoop loop;
    RecordingHandler handler(loop.loop());
    handler.heartbeat = 1;
    TcpConnection connection(&handler, address(brokerAddress()));
    // the broker drops a client that sends nothing for two intervals
    loop.runFor(4.5);
    EXPECT_GT(handler.proposed, 0);
    EXPECT_GE(handler.heartbeats, 2);
    EXPECT_FALSE(connection.closed());
    EXPECT_EQ(handler.events.back(), "ready");
    EXPECT_TRUE(connection.close());
    ASSERT_TRUE(loop.run());
    EXPECT_EQ(handler.events.back(), "detached");
}

TEST(TransportBroker, ABrokerThatFallsSilentIsGivenUpAfterOneAndAHalfIntervals) {
    Orvanta::Test::BrokerProxy proxy;
    std::string url = proxy.address();
    TestLoop loop;
    RecordingHandler handler(loop.loop());
    handler.heartbeat = 2;
    TcpConnection connection(&handler, address(url));
    loop.runFor(1);
    ASSERT_EQ(handler.events.back(), "ready");
    proxy.freeze();
    auto begin = std::chrono::steady_clock::now();
    ASSERT_TRUE(loop.run(10));
    auto took = std::chrono::steady_clock::now() - begin;
    // nothing read for 3 seconds, counted from the last bytes before the freeze
    EXPECT_GE(took, std::chrono::milliseconds(1500));
    EXPECT_LT(took, std::chrono::milliseconds(4000));
    // the end is heard once
    Events seen = reports(handler.events);
    ASSERT_GE(seen.size(), 3u);
    EXPECT_EQ(Events(seen.end() - 3, seen.end()),
              (Events{"error connection prematurely closed by client", "lost", "detached"}));
    EXPECT_EQ(std::count(seen.begin(), seen.end(), "lost"), 1);
}

TEST(TransportBroker, AnImmediateCloseIsReportedOnce) {
    // from onNegotiate (before the base class's answer), from onReady,
    // later from a timer with a channel open and a publication far larger
    // than the socket takes at once waiting, or from the watch that the
    // transport's close on the broker's close-ok asks for
    for (int from : {0, 1, 2, 3}) {
        bool tuning = from == 0, later = from == 2, closing = from == 3;
        SCOPED_TRACE(tuning    ? "from onNegotiate"
                     : later   ? "from a timer"
                     : closing ? "from a watch"
                               : "from onReady");
        TestLoop loop;
        RecordingHandler handler(loop.loop());
        TcpConnection connection(&handler, address(brokerAddress()));
        std::unique_ptr<TcpChannel> channel;
        const std::string body(32 << 20, 'x');
        size_t queued = 0;
        std::function<void()> fire = [&] {
            // a broker on an idle machine may drain a whole publication at once
            for (int round = 0; round < 16 && connection.queued() == 0; ++round)
                channel->publish("", "nowhere", Envelope(body.data(), body.size()));
            queued = connection.queued();
            connection.close(true);
        };
        ev_timer timer;
        ev_timer_init(
            &timer,
            [](struct ev_loop*, ev_timer* t, int) { (*static_cast<std::function<void()>*>(t->data))(); }, 0.0,
            0.0);
        timer.data = &fire;
        if (tuning) handler.negotiating = [](TcpConnection* tuned) { tuned->close(true); };
        bool asked = false;
        handler.watching = [&](TcpConnection* watched) {
            if (asked && !watched->closed()) watched->close(true);
            return true;
        };
        handler.ready = [&](TcpConnection* ready) {
            if (closing) {
                asked = ready->close();
                return;
            }
            if (!later) {
                ready->close(true);
                return;
            }
            channel = std::make_unique<TcpChannel>(ready);
            channel->onReady([&] { ev_timer_start(loop.loop(), &timer); });
        };
        ASSERT_TRUE(loop.run(10));
        Events expected{"attached", "connected", "ready", "error connection prematurely closed by client",
                        "lost",     "detached"};
        if (tuning) expected.erase(expected.begin() + 2);
        // closed in order already: no error, and no onClosed after the end
        if (closing) expected.erase(expected.begin() + 3);
        EXPECT_EQ(reports(handler.events), expected);
        EXPECT_EQ(queued > 0, later);
        EXPECT_EQ(LibEvHandlerSeam::connections(handler), 0u);
    }
}

TEST(TransportBroker, AnExceptionFromACallbackBecomesAConnectionError) {
    // thrown inside the engine's callbacks, on the way out of libev's
    struct Case {
        const char* name;
        std::function<void()> thrower;
        std::string error;
    };
    Queue queue("thrown");
    for (const Case& c :
         {Case{"runtime_error", [] { throw std::runtime_error("thrown from onAck"); },
               "error thrown from onAck"},
          Case{"bad_alloc", [] { throw std::bad_alloc(); }, "error std::bad_alloc"},
          Case{"int", [] { throw 42; }, "error unknown exception in a connection callback"}}) {
        TestLoop loop;
        RecordingHandler handler(loop.loop());
        TcpConnection connection(&handler, address(brokerAddress()));
        std::unique_ptr<TcpChannel> channel;
        std::unique_ptr<Reliable<>> reliable;
        std::string outcome;
        Envelope envelope("hello", 5);
        handler.ready = [&](TcpConnection* ready) {
            channel = std::make_unique<TcpChannel>(ready);
            reliable = std::make_unique<Reliable<>>(*channel);
            reliable->publish("", queue.name(), envelope).onAck(c.thrower).onError([&](const char* message) {
                outcome = message;
            });
        };
        ASSERT_TRUE(loop.run(10)) << c.name;
        Events seen = reports(handler.events);
        EXPECT_NE(std::find(seen.begin(), seen.end(), c.error), seen.end()) << c.name;
        EXPECT_EQ(seen.back(), "detached") << c.name;
        EXPECT_EQ(std::count(seen.begin(), seen.end(), "detached"), 1) << c.name;
        EXPECT_TRUE(connection.closed()) << c.name;
        queue.take();
    }
}

TEST(TransportBroker, AResultWhoseCallbackEndsTheConnectionIsSettledOnce) {
    // So is every result still waiting, and the channel's end is heard once,
    // for its first reason: all of it before the connection detaches.
    const std::string suffix = "-" + std::to_string(getpid()),
                      closed = "connection prematurely closed by client";
    const std::string noQueue = "404 NOT_FOUND - no queue 'no-such-queue" + suffix + "' in vhost '/'";
    const std::string noExchange =
        "404 NOT_FOUND - no exchange 'no-such-exchange" + suffix + "' in vhost '/'";
    // two requests of a kind; the first one's callback named ender ends it,
    // and what the channel heard follows, before the connection's end
    enum Requests { declarations, missingQueue, publications };
    struct Case {
        Requests requests;
        std::string ender;
        bool throws;
        Events heard;
    };
    const Events published{"nack or error", noExchange, "nack or error", noExchange, "channel " + noExchange};
    for (const Case& c : {
             Case{declarations, "success", false, {"success", closed, "channel " + closed}},
             Case{missingQueue, "error", false, {noQueue, "Channel is in error state", "channel " + noQueue}},
             Case{missingQueue, "error", true, {noQueue, "Channel is in error state", "channel " + noQueue}},
             Case{publications, "error", false, published},
             // and so is each publication within its own report
             Case{publications, "nack or error", false, published},
         }) {
        SCOPED_TRACE(c.ender + (c.throws ? " throws" : " closes"));
        TestLoop loop;
        RecordingHandler handler(loop.loop());
        TcpConnection connection(&handler, address(brokerAddress()));
        std::unique_ptr<TcpChannel> channel;
        std::unique_ptr<Reliable<>> reliable;
        bool armed = true;
        auto report = [&](const std::string& callback, const std::string& text) {
            handler.events.push_back(text);
            if (!armed || callback != c.ender) return;
            armed = false;
            if (c.throws) throw std::runtime_error("thrown");
            connection.close(true);
        };
        handler.ready = [&](TcpConnection* ready) {
            channel = std::make_unique<TcpChannel>(ready);
            channel->onError([&](const char* m) { handler.events.push_back(std::string("channel ") + m); });
            if (c.requests == publications) reliable = std::make_unique<Reliable<>>(*channel);
            for (bool first : {true, false}) {
                Envelope envelope("hello", 5);
                Deferred& result =
                    c.requests == publications
                        ? reliable->publish("no-such-exchange" + suffix, "", envelope).onNackOrError([&] {
                              report("nack or error", "nack or error");
                          })
                    : first && c.requests == missingQueue
                        ? static_cast<Deferred&>(channel->declareQueue("no-such-queue" + suffix, passive))
                        : channel->declareQueue("", exclusive);
                result.onSuccess([&] { report("success", "success"); }).onError([&](const char* m) {
                    report("error", m);
                });
            }
        };
        ASSERT_TRUE(loop.run(10));
        Events seen = reports(handler.events);
        auto ready = std::find(seen.begin(), seen.end(), "ready");
        ASSERT_NE(ready, seen.end());
        Events events = c.heard;
        events.insert(events.end(), {"error " + (c.throws ? "thrown" : closed), "lost", "detached"});
        EXPECT_EQ(Events(ready + 1, seen.end()), events);
    }
}

TEST(TransportBroker, AConnectionEndedWhereItsSocketIsLetGoAfterAnOrderlyCloseIsLeftAlone) {
    // The state's destructor stops the watch of the socket the broker
    // closed. The handler may destroy the connection there; what it throws
    // cannot leave the destructor and is held: the end is still heard once.
    using End = std::function<void(std::unique_ptr<TcpConnection>&)>;
    const std::vector<std::pair<End, Events>> cases = {
        {[](auto& connection) { connection.reset(); }, {"detached"}},
        {[](auto&) { throw std::runtime_error("thrown"); }, {"lost", "detached"}}};
    for (const auto& [end, events] : cases) {
        SCOPED_TRACE(events.front());
        TestLoop loop;
        RecordingHandler handler(loop.loop());
        auto connection = std::make_unique<TcpConnection>(&handler, address(brokerAddress()));
        handler.ready = [](TcpConnection* ready) { ready->close(); };
        bool armed = true;
        handler.unwatching = [&, &end = end](TcpConnection*) {
            if (!armed ||
                std::find(handler.events.begin(), handler.events.end(), "closed") == handler.events.end())
                return true;
            armed = false;
            handler.events.push_back("stop");
            end(connection);
            return connection != nullptr;
        };
        ASSERT_TRUE(loop.run(10));
        Events seen = reports(handler.events);
        auto stop = std::find(seen.begin(), seen.end(), "stop");
        ASSERT_NE(stop, seen.end());
        EXPECT_EQ(Events(stop + 1, seen.end()), events);
        EXPECT_EQ(LibEvHandlerSeam::connections(handler), 0u);
    }
}
