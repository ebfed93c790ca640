#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "amqp/channel.h"
#include "amqp/channelimpl.h"
#include "amqp/connection.h"
#include "amqp/connectionimpl.h"
#include "amqp/deferred/deferred.h"
#include "amqp/deferred/deferredqueue.h"
#include "amqp/deferredcancel.h"
#include "amqp/deferredconsumer.h"
#include "amqp/deferredget.h"
#include "amqp/deferredrecall.h"
#include "amqp/tests/oracle.h"
#include "amqp/tests/scriptedpeer.h"
#include "amqp/values/envelope.h"
#include "amqp/values/message.h"
#include "amqp/values/table.h"

using namespace AMQP;
using namespace AMQP::Test;

namespace {

using Events = std::vector<std::string>;

class ChannelTest : public ::testing::TestWithParam<bool> {
protected:
    ChannelTest() { session.handshake(); }

    // a channel that the broker has opened
    std::unique_ptr<Channel> open() {
        auto channel = std::make_unique<Channel>(&connection);
        feeder.feed({"channel-open-ok-1"});
        handler.take();
        return channel;
    }

    // outlives the connection, whose channels' callbacks record into it
    Events events;
    Session session{GetParam()};
    ScriptedHandler& handler = session.handler;
    Connection& connection = *session.connection;
    Feeder& feeder = session.feeder;
};

} // namespace

INSTANTIATE_TEST_SUITE_P(Feeding, ChannelTest, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "bytewise" : "whole"; });

TEST_P(ChannelTest, FramesWaitBehindRequestsAndLeaveBeforeTheReplyCallback) {
    Channel channel(&connection);
    channel.onReady([&] { events.push_back("ready:" + hex(handler.written)); });
    channel.declareQueue("mails", durable)
        .onSuccess([&](const std::string& name, uint32_t messages, uint32_t consumers) {
            events.push_back(name + ":" + std::to_string(messages) + ":" + std::to_string(consumers) + ":" +
                             hex(handler.written));
        });
    Envelope envelope("hello", 5);
    EXPECT_TRUE(channel.publish("outbox", "mail", envelope));
    EXPECT_EQ(hex(handler.take()), hex(oracle("channel-open-1")));

    feeder.feed({"channel-open-ok-1"});
    // the declare goes out before the ready callback; the publish waits for
    // the declare's reply
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0], "ready:" + hex(oracle("queue-declare")));
    handler.take();

    feeder.feed({"queue-declare-ok"});
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[1],
              "mails:12:3:" + hex(oracle("publish") + oracle("content-header-5") + oracle("body-hello")));
}

// Publications held behind a request leave whole and in their place: each
// one's frames before the next frame that was held after it.
TEST_P(ChannelTest, HeldPublicationsLeaveInOrder) {
    Channel channel(&connection);
    Envelope envelope("hello", 5);
    EXPECT_TRUE(channel.publish("outbox", "mail", envelope));
    EXPECT_TRUE(channel.publish("outbox", "mail", envelope));
    channel.declareQueue("mails", durable);
    EXPECT_TRUE(channel.publish("outbox", "mail", envelope));
    handler.take();
    const std::string one = oracle("publish") + oracle("content-header-5") + oracle("body-hello");
    feeder.feed({"channel-open-ok-1"});
    EXPECT_EQ(hex(handler.take()), hex(one + one + oracle("queue-declare")));
    feeder.feed({"queue-declare-ok"});
    EXPECT_EQ(hex(handler.take()), hex(one));
}

// A publication accepted before the connection's close was asked for still
// leaves, ahead of the channel's close and the connection's.
TEST_P(ChannelTest, HeldPublicationLeavesDespiteALaterClose) {
    Channel channel(&connection);
    Envelope envelope("hello", 5);
    EXPECT_TRUE(channel.publish("outbox", "mail", envelope));
    handler.take();
    EXPECT_TRUE(connection.close());
    EXPECT_EQ(handler.take(), "");
    feeder.feed({"channel-open-ok-1"});
    EXPECT_EQ(hex(handler.take()), hex(oracle("publish") + oracle("content-header-5") + oracle("body-hello") +
                                       oracle("channel-close-1")));
    feeder.feed({"channel-close-ok-1"});
    EXPECT_EQ(hex(handler.take()), hex(oracle("close")));
}

// Confirm mode's reply is the one request publications need not wait for:
// the broker takes them in order, in confirm mode. Anything held after it
// keeps its place.
TEST_P(ChannelTest, PublicationsDoNotWaitForTheConfirmModeReply) {
    auto channel = open();
    Envelope envelope("hello", 5);
    const std::string one = oracle("publish") + oracle("content-header-5") + oracle("body-hello");
    channel->confirmSelect();
    EXPECT_TRUE(channel->publish("outbox", "mail", envelope));
    EXPECT_EQ(hex(handler.take()), hex(oracle("confirm-select") + one));
    channel->declareQueue("mails", durable);
    EXPECT_TRUE(channel->publish("outbox", "mail", envelope));
    EXPECT_EQ(handler.take(), "");
    feeder.feed({"confirm-select-ok"});
    EXPECT_EQ(hex(handler.take()), hex(oracle("queue-declare")));
    feeder.feed({"queue-declare-ok"});
    EXPECT_EQ(hex(handler.take()), hex(one));
}

TEST_P(ChannelTest, BodiesAreCutAtTheFrameLimit) {
    auto channel = open();
    std::string body(4089, 'x');
    EXPECT_TRUE(channel->publish("outbox", "mail", Envelope(body.data(), 4088)));
    EXPECT_EQ(hex(handler.take()),
              hex(oracle("publish") + oracle("content-header-4088") + oracle("body-4088")));
    EXPECT_TRUE(channel->publish("outbox", "mail", Envelope(body.data(), 4089), mandatory));
    EXPECT_EQ(hex(handler.take()), hex(oracle("publish-mandatory") + oracle("content-header-4089") +
                                       oracle("body-4088") + oracle("body-x")));
    EXPECT_TRUE(channel->publish("outbox", "mail", Envelope(nullptr, 0)));
    EXPECT_EQ(hex(handler.take()), hex(oracle("publish") + oracle("content-header-0")));
}

TEST_P(ChannelTest, PublishThatCannotGoOutWholeSendsNothing) {
    auto channel = open();
    Envelope envelope("hello", 5);
    EXPECT_FALSE(channel->publish(std::string(256, 'e'), "mail", envelope));
    EXPECT_FALSE(channel->publish("outbox", std::string(256, 'k'), envelope));
    Envelope fat("hello", 5);
    Table headers;
    headers.set("recipients", std::string(5000, 'r'));
    fat.setHeaders(headers);
    // the content header alone exceeds the frame limit
    EXPECT_FALSE(channel->publish("outbox", "mail", fat));
    EXPECT_EQ(handler.take(), "");
    EXPECT_TRUE(channel->usable());
    EXPECT_TRUE(channel->publish(std::string(255, 'e'), std::string(255, 'k'), envelope));
    EXPECT_NE(handler.take(), "");
}

TEST_P(ChannelTest, APublicationWhoseWriteFailsTheConnectionStopsThere) {
    // a transport that fails the connection while it writes the content
    // header (the handler, asked to watch a full socket, closed it)
    auto channel = open();
    int writes = 0;
    handler.data = [&] {
        if (++writes == 2) connection.fail("given up");
    };
    Envelope envelope("hello", 5);
    EXPECT_FALSE(channel->publish("outbox", "mail", envelope));
    EXPECT_FALSE(channel->usable());
}

TEST_P(ChannelTest, NoWaitDeclareLeavesTheNextReplyToItsOwnRequest) {
    auto channel = open();
    channel->declareExchange("outbox", topic, nowait).onSuccess([&] { events.push_back("exchange"); });
    channel->bindQueue("outbox", "mails", "#").onSuccess([&] { events.push_back("bind"); });
    // nothing waits behind a no-wait request
    EXPECT_EQ(hex(handler.take()), hex(oracle("exchange-declare-nowait") + oracle("queue-bind")));
    feeder.feed({"queue-bind-ok"});
    EXPECT_EQ(events, Events{"bind"});
}

TEST_P(ChannelTest, ClosingChannelRefusesToSend) {
    auto channel = open();
    std::string closeError;
    channel->close().onError([&](const char* message) { closeError = message; });
    EXPECT_EQ(hex(handler.take()), hex(oracle("channel-close-1")));
    Envelope envelope("hello", 5);
    EXPECT_FALSE(channel->publish("outbox", "mail", envelope));
    EXPECT_FALSE(channel->ack(7));
    Deferred& late = channel->declareQueue("mails");
    EXPECT_FALSE(late);
    EXPECT_EQ(handler.take(), "");
    // a second close while the first is under way fails at once
    channel->close().onError([&](const char* message) { events.push_back(message); });
    EXPECT_EQ(events, Events{"Frame could not be sent"});
    std::string reason;
    channel->onError([&](const char* message) { reason = message; });
    EXPECT_EQ(reason, "Channel is closing down");
    EXPECT_EQ(closeError, "");
}

TEST_P(ChannelTest, CloseOkResolvesTheCloseItself) {
    auto channel = open();
    channel->declareQueue("mails", durable)
        .onSuccess([&] { events.push_back("declared"); })
        .onError([&](const char* message) { events.push_back(std::string("declare:") + message); });
    channel->close().onSuccess([&] { events.push_back("closed"); }).onFinalize([&] {
        events.push_back("close released");
    });
    channel->onError([&](const char* message) { events.push_back(std::string("channel:") + message); });
    events.clear();
    // the close waited behind the declare
    EXPECT_EQ(hex(handler.take()), hex(oracle("queue-declare")));
    // the broker answers the close without the declare's reply
    feeder.feed({"channel-close-ok-from-broker"});
    // a resolved result is released like any other
    EXPECT_EQ(events, (Events{"closed", "close released", "declare:Channel has been closed"}));
    EXPECT_FALSE(channel->usable());
}

TEST_P(ChannelTest, BrokerCloseFailsEveryPendingResultThenTheChannel) {
    auto channel = open();
    auto record = [&](const std::string& who) {
        return [&events = events, who](const char* message) { events.push_back(who + ":" + message); };
    };
    channel->declareQueue("a").onError(record("first"));
    channel->declareQueue("b").onError(record("second"));
    channel->declareQueue("c").onError(record("third"));
    channel->onError(record("channel"));
    handler.take();
    feeder.feed({"channel-error"});
    EXPECT_EQ(events,
              (Events{"first:404 NOT_FOUND - no exchange 'outbox'", "second:Channel is in error state",
                      "third:Channel is in error state", "channel:404 NOT_FOUND - no exchange 'outbox'"}));
    // answered at once, not behind the held declares
    EXPECT_EQ(hex(handler.take()), hex(oracle("channel-close-ok-1")));
    events.clear();
    channel->onError(record("later"));
    EXPECT_EQ(events, Events{"later:Channel is not linked to a connection"});
    EXPECT_FALSE(channel->declareQueue("d"));
    // a closed channel's close is never resolved
    channel->close().onSuccess([&] { events.push_back("closed"); }).onFinalize([&] {
        events.push_back("final");
    });
    EXPECT_EQ(events.size(), 1u);
    channel.reset();
    EXPECT_EQ(events.back(), "final");
}

TEST_P(ChannelTest, CloseForAnUnknownChannelIsStillAnswered) {
    feeder.feed({"channel-error-9"});
    EXPECT_EQ(hex(handler.take()), hex(oracle("channel-close-ok-9")));
}

TEST_P(ChannelTest, ReturnedMessageArrivesWithItsReplyAndProperties) {
    auto channel = open();
    channel->recall()
        .onReturnStart([&](int16_t code, const std::string& text) {
            events.push_back("start:" + std::to_string(code) + ":" + text);
        })
        .onReturned([&](const Message& message, int16_t code, const std::string& text) {
            events.push_back("returned:" + message.exchange() + ":" + message.routingKey() + ":" +
                             std::string(message.body(), message.bodySize()) + ":" + std::to_string(code) +
                             ":" + text + ":" + (message.hasContentEncoding() ? "gzip" : "plain"));
        })
        .onComplete([&] { events.push_back("complete"); });
    feeder.feed({"return", "returned-header", "returned-body-he", "returned-body-llo"});
    EXPECT_EQ(events,
              (Events{"start:312:NO_ROUTE", "returned:outbox:nowhere:hello:312:NO_ROUTE:gzip", "complete"}));
    EXPECT_EQ(channel->implementation()->receiver(), nullptr);
    events.clear();
    // the recall object receives the next returned message too
    feeder.feed({"return", "returned-header", "body-hello"});
    EXPECT_EQ(events.size(), 3u);
}

TEST_P(ChannelTest, BodyLongerThanAnnouncedPutsTheChannelInError) {
    auto channel = open();
    channel->recall().onReturned(
        [&](const Message&, int16_t, const std::string&) { events.push_back("returned"); });
    channel->onError([&](const char* message) { events.push_back(message); });
    feeder.feed({"return", "returned-header-4", "body-hello"});
    EXPECT_EQ(events, Events{"message body exceeds its announced size"});
    EXPECT_EQ(hex(handler.take()), hex(oracle("unexpected-close")));
    EXPECT_FALSE(channel->usable());
    // the broker's answer finds no channel and changes nothing
    feeder.feed({"channel-close-ok-from-broker"});
    EXPECT_EQ(events.size(), 1u);
    EXPECT_TRUE(connection.usable());
}

// Feeds the frames of a returned message that breaks the order of content
// frames and checks the channel's error; the rest of that message is ignored.
static void expectContentRefused(Channel& channel, Feeder& feeder, std::initializer_list<const char*> frames,
                                 const std::string& error) {
    Events events;
    channel.recall().onReturned(
        [&](const Message&, int16_t, const std::string&) { events.push_back("returned"); });
    channel.onError([&](const char* message) { events.push_back(message); });
    feeder.feed(frames);
    EXPECT_EQ(events, Events{error});
    EXPECT_FALSE(channel.usable());
    feeder.feed({"returned-body-he", "returned-body-llo"});
    EXPECT_EQ(events, Events{error});
}

TEST_P(ChannelTest, SecondContentHeaderPutsTheChannelInError) {
    // it would resize a body that is partly assembled
    auto channel = open();
    expectContentRefused(*channel, feeder,
                         {"return", "returned-header", "returned-body-he", "returned-header-4"},
                         "unexpected content header");
    EXPECT_TRUE(connection.usable());
}

TEST_P(ChannelTest, BodyBeforeItsHeaderPutsTheChannelInError) {
    // there is no announced size to check it against
    auto channel = open();
    expectContentRefused(*channel, feeder, {"return", "returned-body-he"}, "unexpected content body");
    EXPECT_TRUE(connection.usable());
}

TEST_P(ChannelTest, GetDeliversTheMessageOrReportsEmpty) {
    auto channel = open();
    channel->get("mails", noack)
        .onEmpty([&] { events.push_back("empty"); })
        .onCount([&](uint32_t count) { events.push_back("count:" + std::to_string(count)); })
        .onMessage([&](const Message& message, uint64_t tag, bool redelivered) {
            events.push_back("message:" + std::string(message.body(), message.bodySize()) + ":" +
                             std::to_string(tag) + ":" + (redelivered ? "again" : "first"));
        });
    EXPECT_EQ(hex(handler.take()), hex(oracle("basic-get")));
    feeder.feed({"get-ok", "returned-header-4", "returned-body-he", "returned-body-he"});
    EXPECT_EQ(events, (Events{"count:4", "message:hehe:7:again"}));
    events.clear();
    channel->get("mails", noack)
        .onCount([&](uint32_t count) { events.push_back("count:" + std::to_string(count)); })
        .onSuccess([&] { events.push_back("plain success"); });
    DeferredGet& empty = channel->get("mails", noack);
    empty.onEmpty([&] { events.push_back("empty"); });
    feeder.feed({"get-empty", "get-empty"});
    EXPECT_EQ(events, (Events{"count:0", "empty"}));
}

TEST_P(ChannelTest, ConsumerReceivesDeliveriesUntilCancelled) {
    auto channel = open();
    channel->consume("mails")
        .onSuccess([&](const std::string& tag) { events.push_back("consuming:" + tag); })
        .onCancelled([&](const std::string& tag) { events.push_back("cancelled:" + tag); })
        .onDelivered([&](uint64_t tag, bool) { events.push_back("delivered:" + std::to_string(tag)); })
        .onData([&](const char* data, size_t size) { events.push_back("data:" + std::string(data, size)); });
    EXPECT_EQ(hex(handler.take()), hex(oracle("basic-consume")));
    feeder.feed({"consume-ok", "deliver", "content-header-5", "body-hello"});
    EXPECT_EQ(events, (Events{"consuming:ctag-1", "data:hello", "delivered:8"}));
    feeder.feed({"broker-cancel", "deliver"});
    EXPECT_EQ(events.back(), "cancelled:ctag-1");
    EXPECT_EQ(channel->implementation()->consumer("ctag-1"), nullptr);
}

TEST_P(ChannelTest, CancelRemovesTheConsumerWhenTheBrokerConfirms) {
    auto channel = open();
    channel->consume("mails");
    feeder.feed({"consume-ok"});
    handler.take();
    channel->cancel("ctag-1").onSuccess([&](const std::string& tag) {
        events.push_back("cancelled:" + tag + ":" +
                         (channel->implementation()->consumer(tag) ? "still there" : "gone"));
    });
    EXPECT_EQ(hex(handler.take()), hex(oracle("basic-cancel")));
    EXPECT_NE(channel->implementation()->consumer("ctag-1"), nullptr);
    feeder.feed({"cancel-ok"});
    EXPECT_EQ(events, Events{"cancelled:ctag-1:gone"});
}

TEST_P(ChannelTest, AcksAndRejectsGoOutWithoutWaiting) {
    auto channel = open();
    EXPECT_TRUE(channel->ack(7));
    EXPECT_TRUE(channel->reject(7, multiple | requeue));
    EXPECT_TRUE(channel->publish("outbox", "mail", Envelope("hello", 5)));
    EXPECT_EQ(hex(handler.take()), hex(oracle("basic-ack-7") + oracle("basic-nack-7") + oracle("publish") +
                                       oracle("content-header-5") + oracle("body-hello")));
}

TEST_P(ChannelTest, DroppedHandleClosesOnceTheOutstandingReplyArrived) {
    auto channel = open();
    channel->declareQueue("mails", durable).onFinalize([&] { events.push_back("declare released"); });
    std::weak_ptr<ChannelImpl> implementation = channel->implementation();
    handler.take();
    channel.reset();
    // the connection keeps the channel until the broker has answered
    ASSERT_FALSE(implementation.expired());
    EXPECT_EQ(handler.take(), "");
    feeder.feed({"queue-declare-ok"});
    EXPECT_EQ(hex(handler.take()), hex(oracle("channel-close-1")));
    EXPECT_EQ(events, Events{"declare released"});
    feeder.feed({"channel-close-ok-from-broker"});
    EXPECT_TRUE(implementation.expired());
    EXPECT_FALSE(connection.implementation()->channel(1));
}
