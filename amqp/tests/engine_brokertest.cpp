// The protocol engine against the private RabbitMQ: a blocking loopback
// socket plays the transport, so only the engine is under test. What reached
// the broker is read back with an independent client (pika).
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "amqp/buffers/bytebuffer.h"
#include "amqp/channel.h"
#include "amqp/connection.h"
#include "amqp/connectionhandler.h"
#include "amqp/deferred/deferredqueue.h"
#include "amqp/deferredget.h"
#include "amqp/deferredrecall.h"
#include "amqp/flags.h"
#include "amqp/login.h"
#include "amqp/reliable.h"
#include "amqp/values/envelope.h"
#include "amqp/values/message.h"
#include "amqp/values/table.h"
#include "testsupport/broker.h"

using namespace AMQP;

namespace {

class SocketHandler : public ConnectionHandler {
public:
    SocketHandler() {
        _fd = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(static_cast<uint16_t>(Orvanta::Test::brokerPort()));
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        if (connect(_fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0)
            throw std::runtime_error("cannot reach the broker");
    }
    ~SocketHandler() override { close(_fd); }

    void onData(Connection*, const char* buffer, size_t size) override {
        while (size > 0) {
            ssize_t written = write(_fd, buffer, size);
            if (written <= 0) throw std::runtime_error("write to the broker failed");
            buffer += written;
            size -= static_cast<size_t>(written);
        }
    }
    void onReady(Connection*) override { ready = true; }
    void onError(Connection*, const char* message) override { errors.push_back(message); }
    void onClosed(Connection*) override { closed = true; }

    // reads and parses until done() holds; false on a time-out or a closed
    // socket
    bool runUntil(Connection& connection, const std::function<bool()>& done) {
        auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (!done()) {
            if (std::chrono::steady_clock::now() > deadline) return false;
            pollfd watch{_fd, POLLIN, 0};
            if (poll(&watch, 1, 100) <= 0) continue;
            char chunk[65536];
            ssize_t received = read(_fd, chunk, sizeof(chunk));
            if (received <= 0) return false;
            _pending.append(chunk, static_cast<size_t>(received));
            ByteBuffer buffer(_pending.data(), _pending.size());
            _pending.erase(0, connection.parse(buffer));
        }
        return true;
    }

    // how the broker names this connection: by its two ends
    std::string brokerName() const {
        sockaddr_in local{};
        socklen_t length = sizeof local;
        getsockname(_fd, reinterpret_cast<sockaddr*>(&local), &length);
        return "127.0.0.1:" + std::to_string(ntohs(local.sin_port)) +
               " -> 127.0.0.1:" + std::to_string(Orvanta::Test::brokerPort());
    }

    bool ready = false;
    bool closed = false;
    std::vector<std::string> errors;

private:
    int _fd;
    std::string _pending;
};

class EngineBroker : public ::testing::Test {
protected:
    EngineBroker() : connection(&handler, Login("guest", "guest"), "/") {
        EXPECT_TRUE(handler.runUntil(connection, [&] { return handler.ready; }));
    }

    SocketHandler handler;
    Connection connection;
    std::vector<std::string> events;
};

} // namespace

TEST_F(EngineBroker, ConfirmedPublicationReachesTheQueue) {
    const std::string queue = "engine-confirmed";
    Orvanta::Test::amqpTool({"delete", queue});
    Channel channel(&connection);
    channel.declareQueue(queue).onSuccess(
        [&](const std::string& name, uint32_t, uint32_t) { events.push_back("declared:" + name); });
    Reliable<Tagger> reliable(channel);
    // larger than one frame, so the body is cut
    std::string body(300000, 'm');
    Envelope envelope(body.data(), body.size());
    Table headers;
    headers.set("recipients", "a@example.org,b@example.org");
    envelope.setHeaders(headers);
    envelope.setContentEncoding("identity");
    reliable.publish("", queue, envelope)
        .onAck([&] { events.push_back("ack"); })
        .onNackOrError([&] { events.push_back("nack-or-error"); })
        .onFinalize([&] { events.push_back("finalize"); });
    ASSERT_TRUE(handler.runUntil(connection, [&] { return events.size() >= 3; }));
    EXPECT_EQ(events, (std::vector<std::string>{"declared:" + queue, "ack", "finalize"}));

    auto got = Orvanta::Test::amqpTool({"get", queue});
    ASSERT_EQ(got.status, 0) << got.err;
    EXPECT_NE(got.out.find("\"recipients\": \"a@example.org,b@example.org\""), std::string::npos) << got.out;
    EXPECT_NE(got.out.find("\"content_encoding\": \"identity\""), std::string::npos) << got.out;
    EXPECT_NE(got.out.find("\"body_base64\": \"bW1t"), std::string::npos);

    EXPECT_TRUE(connection.close());
    EXPECT_TRUE(handler.runUntil(connection, [&] { return handler.closed; }));
    EXPECT_TRUE(handler.errors.empty());
    Orvanta::Test::amqpTool({"delete", queue});
}

TEST_F(EngineBroker, UnroutableMandatoryMessageComesBack) {
    Channel channel(&connection);
    channel.recall().onReturned([&](const Message& message, int16_t code, const std::string& text) {
        events.push_back(std::to_string(code) + ":" + text + ":" +
                         std::string(message.body(), message.bodySize()));
    });
    Reliable<Tagger> reliable(channel);
    Envelope envelope("lost", 4);
    reliable.publish("amq.direct", "nobody-listens", envelope, mandatory).onAck([&] {
        events.push_back("ack");
    });
    ASSERT_TRUE(handler.runUntil(connection, [&] { return events.size() >= 2; }));
    // the broker returns the message before it confirms it
    EXPECT_EQ(events, (std::vector<std::string>{"312:NO_ROUTE:lost", "ack"}));
}

TEST_F(EngineBroker, ChannelErrorFailsTheOutstandingPublication) {
    Channel channel(&connection);
    Reliable<Tagger> reliable(channel);
    reliable.onError([&](const char* message) { events.push_back(std::string("channel:") + message); });
    Envelope envelope("lost", 4);
    reliable.publish("no-such-exchange", "key", envelope)
        .onNackOrError([&] { events.push_back("nack-or-error"); })
        .onError([&](const char* message) { events.push_back(std::string("error:") + message); });
    ASSERT_TRUE(handler.runUntil(connection, [&] { return events.size() >= 3; }));
    ASSERT_EQ(events.size(), 3u);
    EXPECT_EQ(events[0], "nack-or-error");
    EXPECT_EQ(events[1].rfind("error:404 NOT_FOUND - no exchange 'no-such-exchange'", 0), 0u) << events[1];
    EXPECT_EQ(events[2].rfind("channel:404 NOT_FOUND", 0), 0u) << events[2];
    // the connection stays usable for a new channel
    EXPECT_TRUE(connection.usable());
    Channel second(&connection);
    bool opened = false;
    second.onReady([&] { opened = true; });
    EXPECT_TRUE(handler.runUntil(connection, [&] { return opened; }));
}

TEST_F(EngineBroker, AByteArrayHeaderArrivesLikeAnyOther) {
    const std::string queue = "engine-byte-array";
    Orvanta::Test::amqpTool({"delete", queue});
    ASSERT_EQ(Orvanta::Test::amqpTool({"declare", queue}).status, 0);
    // the other client sends Python bytes as a byte array
    auto published = Orvanta::Test::amqpTool({"publish", "", queue, "body", "raw=00ff78"});
    ASSERT_EQ(published.status, 0) << published.err;
    Channel channel(&connection);
    channel.get(queue, noack)
        .onMessage([&](const Message& message, uint64_t, bool) {
            const Field& raw = message.headers().get("raw");
            events.push_back(std::string(1, raw.typeID()) + ":" + static_cast<const std::string&>(raw) + ":" +
                             std::string(message.body(), message.bodySize()));
        })
        .onError([&](const char* message) { events.push_back(std::string("error:") + message); });
    ASSERT_TRUE(handler.runUntil(connection, [&] { return !events.empty(); }));
    EXPECT_EQ(events, (std::vector<std::string>{std::string("x:\x00\xffx:body", 10)}));
    EXPECT_TRUE(handler.errors.empty());
    EXPECT_TRUE(connection.usable());
    Orvanta::Test::amqpTool({"delete", queue});
}

TEST_F(EngineBroker, AConnectionTheBrokerClosedIsClosed) {
    Channel channel(&connection);
    bool opened = false;
    channel.onReady([&] { opened = true; });
    ASSERT_TRUE(handler.runUntil(connection, [&] { return opened; }));
    auto listed =
        Orvanta::Test::brokerCtl({"list_connections", "pid", "name", "--no-table-headers", "--quiet"});
    std::string pid;
    for (size_t at = 0; at < listed.out.size();) {
        size_t end = listed.out.find('\n', at);
        std::string line = listed.out.substr(at, end - at);
        if (line.find(handler.brokerName()) != std::string::npos) pid = line.substr(0, line.find('\t'));
        at = end == std::string::npos ? listed.out.size() : end + 1;
    }
    ASSERT_FALSE(pid.empty()) << listed.out << listed.err;
    ASSERT_EQ(Orvanta::Test::brokerCtl({"close_connection", pid, "go away"}).status, 0);
    handler.runUntil(connection, [&] { return !handler.errors.empty(); });
    ASSERT_EQ(handler.errors.size(), 1u);
    EXPECT_NE(handler.errors[0].find("go away"), std::string::npos) << handler.errors[0];

    EXPECT_FALSE(connection.usable());
    EXPECT_FALSE(connection.ready());
    EXPECT_TRUE(connection.closed());
    // an operation on a channel of the connection fails at once; a new
    // channel is refused
    channel.declareQueue("engine-after-close").onError([&](const char* message) {
        events.push_back(std::string("error:") + message);
    });
    EXPECT_EQ(events, (std::vector<std::string>{"error:Frame could not be sent"}));
    EXPECT_THROW(Channel{&connection}, std::runtime_error);
}

TEST_F(EngineBroker, RecoverWaitsForItsOwnReply) {
    const std::string queue = "engine-recover";
    Orvanta::Test::amqpTool({"delete", queue});
    Channel channel(&connection);
    channel.recover(requeue).onSuccess([&] { events.push_back("recovered"); });
    channel.declareQueue(queue, exclusive).onSuccess([&](const std::string& name, uint32_t, uint32_t) {
        events.push_back("declared:" + name);
    });
    channel.declareQueue("engine-recover-missing", passive)
        .onSuccess([&](const std::string& name, uint32_t, uint32_t) { events.push_back("passive:" + name); })
        .onError([&](const char* message) { events.push_back(std::string("error:") + message); });
    ASSERT_TRUE(handler.runUntil(connection, [&] { return events.size() >= 3; }));
    ASSERT_EQ(events.size(), 3u);
    EXPECT_EQ(events[0], "recovered");
    EXPECT_EQ(events[1], "declared:" + queue);
    EXPECT_EQ(events[2].rfind("error:404 NOT_FOUND", 0), 0u) << events[2];
}

TEST_F(EngineBroker, EveryPublicationGetsAVerdictWhenItsChannelCloses) {
    const std::string queue = "engine-verdicts";
    Orvanta::Test::amqpTool({"delete", queue});
    ASSERT_EQ(Orvanta::Test::amqpTool({"declare", queue}).status, 0);
    std::string body(1024, 'v');
    Envelope envelope(body.data(), body.size());
    // first closed with the channel, then with the whole connection
    for (bool whole : {false, true}) {
        SCOPED_TRACE(whole ? "connection closed" : "channel closed");
        Channel channel(&connection);
        Reliable<Tagger> reliable(channel);
        // open and in confirm mode, so that the close goes out at once
        bool settled = false;
        channel.declareQueue(queue, passive).onSuccess([&] { settled = true; });
        ASSERT_TRUE(handler.runUntil(connection, [&] { return settled; }));
        size_t acks = 0, nacks = 0, errors = 0;
        std::string reason;
        for (int i = 0; i < 2000; ++i)
            reliable.publish("", queue, envelope)
                .onAck([&] { ++acks; })
                .onNack([&] { ++nacks; })
                .onError([&](const char* message) {
                    ++errors;
                    reason = message;
                });
        if (whole)
            EXPECT_TRUE(connection.close());
        else
            channel.close();
        ASSERT_TRUE(handler.runUntil(connection, [&] { return acks + nacks + errors == 2000; }))
            << acks << " acks, " << nacks << " nacks, " << errors << " errors";
        EXPECT_EQ(reliable.unacknowledged(), 0u);
        if (errors > 0) {
            EXPECT_EQ(reason, whole ? "Connection has been closed" : "Channel has been closed");
        }
    }
    EXPECT_TRUE(handler.runUntil(connection, [&] { return handler.closed; }));
    EXPECT_TRUE(handler.errors.empty());
    Orvanta::Test::amqpTool({"delete", queue});
}
