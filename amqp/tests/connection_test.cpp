#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "amqp/buffers/bytebuffer.h"
#include "amqp/channel.h"
#include "amqp/channelimpl.h"
#include "amqp/connection.h"
#include "amqp/connectionimpl.h"
#include "amqp/deferred/deferred.h"
#include "amqp/deferred/deferredqueue.h"
#include "amqp/tests/oracle.h"
#include "amqp/tests/scriptedpeer.h"
#include "amqp/values/booleanset.h"
#include "amqp/values/envelope.h"
#include "amqp/values/table.h"

using namespace AMQP;
using namespace AMQP::Test;

namespace {

using Events = std::vector<std::string>;

// every case runs with the broker's bytes fed whole and one byte at a time
class ConnectionTest : public ::testing::TestWithParam<bool> {
protected:
    Session session{GetParam()};
    ScriptedHandler& handler = session.handler;
    Connection& connection = *session.connection;
    Feeder& feeder = session.feeder;
};

} // namespace

INSTANTIATE_TEST_SUITE_P(Feeding, ConnectionTest, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "bytewise" : "whole"; });

TEST_P(ConnectionTest, HandshakeWritesEachAnswerInTurn) {
    EXPECT_EQ(hex(handler.take()), hex(oracle("protocol-header")));
    EXPECT_EQ(connection.expected(), 7u);
    EXPECT_TRUE(connection.usable());

    feeder.feed({"start"});
    EXPECT_EQ(hex(handler.take()), hex(oracle("start-ok")));
    // tune-ok and open go out while the tune is processed
    feeder.feed({"tune"});
    EXPECT_EQ(handler.proposed, 60);
    EXPECT_EQ(hex(handler.take()), hex(oracle("tune-ok") + oracle("open")));
    EXPECT_EQ(handler.events, Events{"properties"});
    feeder.feed({"open-ok"});
    EXPECT_EQ(handler.events, (Events{"properties", "ready"}));
    EXPECT_EQ(handler.take(), "");
    EXPECT_EQ(feeder.pending(), 0u);
    EXPECT_EQ(connection.expected(), 7u);
    EXPECT_EQ(connection.maxFrame(), 4096u);
}

TEST_P(ConnectionTest, HandlerPropertiesAndHeartbeatAreKept) {
    handler.properties = [](Table& client) {
        Table mine;
        mine.set("mine", BooleanSet(false));
        client.set("capabilities", mine);
        client.set("product", "tarvex");
    };
    handler.heartbeat = 30;
    handler.take();
    feeder.feed({"start", "tune"});
    EXPECT_EQ(hex(handler.take()),
              hex(oracle("start-ok-custom") + oracle("tune-ok-heartbeat") + oracle("open")));
}

TEST_P(ConnectionTest, UnlimitedFrameSizeAndChannelMaximumFromTheBroker) {
    handler.take();
    feeder.feed({"start", "tune-unlimited", "open-ok"});
    EXPECT_EQ(hex(handler.take()), hex(oracle("start-ok") + oracle("tune-ok-unlimited") + oracle("open")));
    EXPECT_EQ(connection.maxFrame(), 0u);
    Channel one(&connection);
    feeder.feed({"channel-open-ok-1"});
    handler.take();
    // no frame limit: the whole body travels in one frame
    std::string body(10000, 'x');
    EXPECT_TRUE(one.publish("outbox", "mail", Envelope(body.data(), body.size())));
    EXPECT_EQ(hex(handler.take()),
              hex(oracle("publish") + oracle("content-header-10000") + oracle("body-10000")));
    Channel two(&connection);
    EXPECT_THROW(Channel three(&connection), std::runtime_error);
    try {
        Channel three(&connection);
    } catch (const std::runtime_error& error) {
        EXPECT_STREQ(error.what(), "failed to open channel: max number of channels has been reached");
    }
}

TEST_P(ConnectionTest, ChannelOpenedBeforeReadyIsHeldUntilAfterOnReady) {
    handler.take();
    Channel channel(&connection);
    feeder.feed({"start", "tune"});
    EXPECT_EQ(hex(handler.take()), hex(oracle("start-ok") + oracle("tune-ok") + oracle("open")));
    std::string writtenBeforeReady = "unset";
    handler.ready = [&] { writtenBeforeReady = handler.written; };
    feeder.feed({"open-ok"});
    EXPECT_EQ(writtenBeforeReady, "");
    EXPECT_EQ(hex(handler.take()), hex(oracle("channel-open-1")));
}

TEST_P(ConnectionTest, CloseOfAnIdleConnectionSendsOneFrameAndFailsChannelCloses) {
    session.handshake();
    Channel channel(&connection);
    feeder.feed({"channel-open-ok-1"});
    handler.take();
    std::vector<std::string> errors;
    channel.implementation()->onReady([] {});
    EXPECT_TRUE(connection.close());
    EXPECT_EQ(hex(handler.take()), hex(oracle("close")));
    EXPECT_FALSE(connection.usable());
    EXPECT_FALSE(connection.close());
    EXPECT_EQ(handler.take(), "");
    // nothing goes out while closing, heartbeats included
    EXPECT_FALSE(connection.heartbeat());
    feeder.feed({"close-ok"});
    EXPECT_EQ(handler.events.back(), "closed");
    EXPECT_EQ(connection.parse(ByteBuffer(oracle("heartbeat").data(), 8)), 0u);
}

TEST_P(ConnectionTest, CloseWaitsForAChannelThatAwaitsAReply) {
    session.handshake();
    Channel channel(&connection);
    // channel.open is outstanding: the channel holds its close back
    EXPECT_TRUE(connection.close());
    EXPECT_EQ(hex(handler.take()), hex(oracle("channel-open-1")));
    feeder.feed({"channel-open-ok-1"});
    EXPECT_EQ(hex(handler.take()), hex(oracle("channel-close-1")));
    feeder.feed({"channel-close-ok-1"});
    EXPECT_EQ(hex(handler.take()), hex(oracle("close")));
}

TEST_P(ConnectionTest, CloseDuringTheHandshakeFollowsOnReady) {
    EXPECT_TRUE(connection.close());
    handler.take();
    feeder.feed({"start", "tune"});
    EXPECT_EQ(hex(handler.take()), hex(oracle("start-ok") + oracle("tune-ok") + oracle("open")));
    std::string writtenBeforeReady = "unset";
    handler.ready = [&] { writtenBeforeReady = handler.written; };
    feeder.feed({"open-ok"});
    EXPECT_EQ(writtenBeforeReady, "");
    EXPECT_EQ(hex(handler.take()), hex(oracle("close")));
}

TEST_P(ConnectionTest, ProtocolErrorFailsTheConnectionForGood) {
    session.handshake();
    Channel channel(&connection);
    std::vector<std::string> channelErrors;
    channel.onError([&](const char* message) { channelErrors.push_back(message); });
    feeder.feed({"channel-open-ok-1"});
    handler.take();
    feeder.feed(oracle("heartbeat") + oracle("start-ok-from-broker") + oracle("heartbeat"));
    EXPECT_EQ(handler.events, (Events{"properties", "ready", "heartbeat",
                                      "error:unimplemented frame type 1 class 10 method 11"}));
    EXPECT_EQ(channelErrors, Events{"unimplemented frame type 1 class 10 method 11"});
    // the transport offers the rest again: it is never read as frames
    std::string rest = oracle("start-ok-from-broker") + oracle("heartbeat");
    EXPECT_EQ(connection.parse(ByteBuffer(rest.data(), rest.size())), 0u);
    EXPECT_EQ(handler.events.size(), 4u);
    EXPECT_FALSE(connection.usable());
    EXPECT_FALSE(connection.fail("later"));
}

TEST_P(ConnectionTest, OversizedFrameIsRefusedAsSoonAsItsHeaderArrives) {
    session.handshake();
    std::string bytes = oracle("heartbeat") + oracle("oversized-header");
    uint64_t used = connection.parse(ByteBuffer(bytes.data(), bytes.size()));
    EXPECT_EQ(used, 8u);
    EXPECT_EQ(handler.events.back(), "error:frame size exceeded");
}

TEST_P(ConnectionTest, BadEndMarkerIsAProtocolError) {
    session.handshake();
    feeder.feed({"bad-end-marker"});
    EXPECT_EQ(handler.events.back(), "error:invalid end of frame marker");
}

TEST_P(ConnectionTest, BrokerCloseIsAnsweredAndReported) {
    session.handshake();
    Channel channel(&connection);
    feeder.feed({"channel-open-ok-1"});
    handler.take();
    std::string channelError;
    channel.onError([&](const char* message) { channelError = message; });
    feeder.feed({"broker-close"});
    EXPECT_EQ(hex(handler.take()), hex(oracle("close-ok")));
    EXPECT_EQ(channelError, "320 CONNECTION_FORCED - shutdown");
    EXPECT_EQ(handler.events.back(), "error:320 CONNECTION_FORCED - shutdown");
    EXPECT_FALSE(channel.usable());
}

TEST_P(ConnectionTest, HeartbeatsAndBlockingReachTheHandler) {
    EXPECT_TRUE(connection.heartbeat());
    EXPECT_EQ(hex(handler.take()), hex(oracle("protocol-header")));
    session.handshake();
    // the heartbeat asked for before the connection was ready was held
    EXPECT_TRUE(connection.heartbeat());
    EXPECT_EQ(hex(handler.take()), hex(oracle("heartbeat")));
    feeder.feed({"heartbeat", "blocked", "unblocked"});
    EXPECT_EQ(handler.events,
              (Events{"properties", "ready", "heartbeat", "blocked:low on memory", "unblocked"}));
}

TEST_P(ConnectionTest, TransportFailureFailsEveryChannelButNotTheHandler) {
    session.handshake();
    Channel first(&connection);
    Channel second(&connection);
    feeder.feed({"channel-open-ok-1", "channel-open-ok-2"});
    std::vector<std::string> errors;
    first.onError([&](const char* message) { errors.push_back(std::string("1:") + message); });
    second.onError([&](const char* message) { errors.push_back(std::string("2:") + message); });
    EXPECT_TRUE(connection.fail("connection prematurely closed by client"));
    ASSERT_EQ(errors.size(), 2u);
    EXPECT_EQ(errors[0].substr(1), ":connection prematurely closed by client");
    EXPECT_EQ(handler.events, (Events{"properties", "ready"}));
    EXPECT_FALSE(connection.fail("again"));
    EXPECT_EQ(errors.size(), 2u);
}

TEST_P(ConnectionTest, HandlerMayDestroyTheConnectionFromItsCallback) {
    handler.ready = [&] { session.connection.reset(); };
    handler.take();
    feeder.feed({"start", "tune", "open-ok"});
    EXPECT_FALSE(session.connection);
}

TEST(ConnectionNumbers, WrapAroundSkipsNumbersInUse) {
    ScriptedHandler handler;
    Connection connection(&handler, Login("mailer", "secret"), "/");
    ConnectionImpl* impl = connection.implementation();
    std::vector<std::shared_ptr<ChannelImpl>> channels;
    auto open = [&] {
        channels.push_back(std::make_shared<ChannelImpl>());
        return channels.back()->attach(&connection) ? channels.back()->id() : 0;
    };
    for (int i = 1; i <= 65535; ++i)
        ASSERT_EQ(open(), i);
    // every number in use: none left to give
    EXPECT_EQ(open(), 0);
    for (int i = 4; i <= 65535; ++i)
        impl->remove(channels[i - 1].get());
    EXPECT_FALSE(impl->channel(4));
    EXPECT_TRUE(impl->channel(3));
    // numbering carries on after 65535 at 1, skipping 1 to 3 still in use
    EXPECT_EQ(open(), 4);
    EXPECT_EQ(open(), 5);
}

TEST_P(ConnectionTest, ChannelOutlivingItsConnectionFailsSafely) {
    session.handshake();
    auto channel = std::make_unique<Channel>(&connection);
    feeder.feed({"channel-open-ok-1"});
    int released = 0;
    channel->declareQueue("mails").onFinalize([&] { ++released; });
    session.connection.reset();
    EXPECT_FALSE(channel->declareQueue("later"));
    EXPECT_FALSE(channel->publish("outbox", "mail", Envelope("hello", 5)));
    EXPECT_EQ(released, 0);
    channel.reset();
    EXPECT_EQ(released, 1);
}
