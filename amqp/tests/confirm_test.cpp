#include <memory>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "amqp/channel.h"
#include "amqp/channelimpl.h"
#include "amqp/connection.h"
#include "amqp/deferred/deferred.h"
#include "amqp/framing/basicheaderframe.h"
#include "amqp/framing/bodyframe.h"
#include "amqp/reliable.h"
#include "amqp/tagger.h"
#include "amqp/tests/framecodec.h"
#include "amqp/tests/oracle.h"
#include "amqp/tests/scriptedpeer.h"
#include "amqp/values/envelope.h"
#include "amqp/values/table.h"

using namespace AMQP;
using namespace AMQP::Test;

namespace {

using Events = std::vector<std::string>;

class ConfirmTest : public ::testing::TestWithParam<bool> {
protected:
    ConfirmTest() {
        session.handshake();
        channel = std::make_unique<Channel>(&connection);
        feeder.feed({"channel-open-ok-1"});
        handler.take();
        channel->onError(
            [this](const char* message) { events.push_back(std::string("channel:") + message); });
        reliable = std::make_unique<Reliable<Tagger>>(*channel);
        EXPECT_EQ(hex(handler.take()), hex(oracle("confirm-select")));
        feeder.feed({"confirm-select-ok"});
    }

    // publishes hello and records every callback of its result under name
    DeferredPublish& publish(const std::string& name, const std::string& exchange = "outbox") {
        DeferredPublish& result = reliable->publish(exchange, "mail", envelope);
        result.onAck([this, name] { events.push_back(name + ":ack"); })
            .onNack([this, name] { events.push_back(name + ":nack"); })
            .onNackOrError([this, name] { events.push_back(name + ":nack-or-error"); });
        result.onError([this, name](const char* message) { events.push_back(name + ":error:" + message); });
        result.onFinalize([this, name] { events.push_back(name + ":finalize"); });
        return result;
    }

    Session session{GetParam()};
    ScriptedHandler& handler = session.handler;
    Connection& connection = *session.connection;
    Feeder& feeder = session.feeder;
    Envelope envelope{"hello", 5};
    // outlives the objects whose callbacks record into it
    Events events;
    std::unique_ptr<Channel> channel;
    std::unique_ptr<Reliable<Tagger>> reliable;
};

} // namespace

INSTANTIATE_TEST_SUITE_P(Feeding, ConfirmTest, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "bytewise" : "whole"; });

TEST_P(ConfirmTest, AckedPublication) {
    publish("one");
    EXPECT_EQ(hex(handler.take()),
              hex(oracle("publish") + oracle("content-header-5") + oracle("body-hello")));
    EXPECT_EQ(reliable->unacknowledged(), 1u);
    feeder.feed({"ack-1"});
    EXPECT_EQ(events, (Events{"one:ack", "one:finalize"}));
    EXPECT_EQ(reliable->unacknowledged(), 0u);
}

TEST_P(ConfirmTest, NackedPublication) {
    publish("one");
    feeder.feed({"nack-1"});
    EXPECT_EQ(events, (Events{"one:nack", "one:nack-or-error", "one:finalize"}));
}

TEST_P(ConfirmTest, MultipleAckSettlesEveryTagUpToItsOwn) {
    for (const char* name : {"one", "two", "three", "four"})
        publish(name);
    feeder.feed({"ack-3-multiple"});
    EXPECT_EQ(events,
              (Events{"one:ack", "one:finalize", "two:ack", "two:finalize", "three:ack", "three:finalize"}));
    EXPECT_EQ(reliable->unacknowledged(), 1u);
    events.clear();
    // a tag settled already runs no callback
    feeder.feed({"ack-2"});
    EXPECT_EQ(events, Events{});
    feeder.feed({"nack-2-multiple"});
    EXPECT_EQ(events, Events{});
    EXPECT_EQ(reliable->unacknowledged(), 1u);
}

// An ack of a tag never published (a flipped bit, a broken broker) would
// leave the real confirm awaited for ever: the channel fails at once, and
// the broker hears why.
TEST_P(ConfirmTest, AConfirmOfATagNeverPublishedFailsTheChannel) {
    publish("one");
    handler.take();
    feeder.feed({"ack-9"});
    const std::string text = "basic.ack of delivery tag 9, which was never published";
    EXPECT_EQ(events, (Events{"one:nack-or-error", "one:error:" + text, "channel:" + text, "one:finalize"}));
    EXPECT_EQ(hex(handler.take()), hex(oracle("channel-close-unknown-tag")));
}

TEST_P(ConfirmTest, ChannelErrorFailsEveryOutstandingPublicationInOrder) {
    for (const char* name : {"one", "two", "three"})
        publish(name);
    handler.take();
    feeder.feed({"channel-error"});
    const std::string text = "404 NOT_FOUND - no exchange 'outbox'";
    EXPECT_EQ(events, (Events{"one:nack-or-error", "one:error:" + text, "two:nack-or-error",
                              "two:error:" + text, "three:nack-or-error", "three:error:" + text,
                              "channel:" + text, "one:finalize", "two:finalize", "three:finalize"}));
    EXPECT_EQ(reliable->unacknowledged(), 0u);
    events.clear();
    // the failed channel refuses the next publication, which fails at once
    publish("late");
    EXPECT_EQ(events, (Events{"late:error:Frame could not be sent", "late:finalize"}));
    EXPECT_EQ(reliable->unacknowledged(), 0u);
    EXPECT_EQ(hex(handler.take()), hex(oracle("channel-close-ok-1")));
}

TEST_P(ConfirmTest, CloseWaitsUntilNothingIsOutstanding) {
    publish("one");
    publish("two");
    handler.take();
    Deferred& closing = reliable->close();
    closing.onSuccess([&] { events.push_back("closed"); });
    EXPECT_EQ(&reliable->close(), &closing);
    EXPECT_EQ(handler.take(), "");
    feeder.feed({"ack-1"});
    EXPECT_EQ(handler.take(), "");
    feeder.feed({"ack-2"});
    EXPECT_EQ(hex(handler.take()), hex(oracle("channel-close-1")));
    // further acks do not close the channel again
    feeder.feed({"ack-2"});
    EXPECT_EQ(handler.take(), "");
    feeder.feed({"channel-close-ok-from-broker"});
    EXPECT_EQ(events.back(), "closed");
}

TEST_P(ConfirmTest, ErrorCallbackLearnsAtOnceWhyTheChannelIsNotOpen) {
    std::vector<std::string> reasons;
    auto record = [&](const char* message) { reasons.push_back(message); };
    reliable->onError(record);
    EXPECT_TRUE(reasons.empty());
    // outstanding: the channel stays open while the wrapper closes
    publish("one");
    reliable->close();
    reliable->onError(record);
    EXPECT_EQ(reasons, Events{"Wrapped channel is closing down"});
    feeder.feed({"ack-1", "channel-close-ok-from-broker"});
    reliable->onError(record);
    EXPECT_EQ(reasons, (Events{"Wrapped channel is closing down", "Channel is no longer usable"}));
}

TEST_P(ConfirmTest, RefusedPublicationIsNeverOutstanding) {
    publish("one");
    // exchange name too long: nothing goes out, the result fails at once
    DeferredPublish& refused = publish("refused", std::string(256, 'e'));
    EXPECT_FALSE(refused);
    EXPECT_EQ(events, (Events{"refused:error:Frame could not be sent", "refused:finalize"}));
    EXPECT_EQ(reliable->unacknowledged(), 1u);
    // no tag is used up: the next publication is the broker's second
    publish("two");
    handler.take();
    events.clear();
    reliable->close();
    // a later multiple ack settles only the real publications, and the
    // close is not held up by the refused one
    feeder.feed({"ack-2-multiple"});
    EXPECT_EQ(events, (Events{"one:ack", "one:finalize", "two:ack", "two:finalize"}));
    EXPECT_EQ(hex(handler.take()), hex(oracle("channel-close-1")));
    // publications after close() are refused as well
    events.clear();
    EXPECT_FALSE(publish("after"));
    EXPECT_EQ(reliable->unacknowledged(), 0u);
}

TEST_P(ConfirmTest, EveryRefusedResultStaysUsableWhileItsCallerHoldsIt) {
    // the caller keeps the references and installs callbacks only later
    const std::string name(256, 'e');
    DeferredPublish& first = reliable->publish(name, "mail", envelope);
    DeferredPublish& second = reliable->publish(name, "mail", envelope);
    DeferredPublish& third = reliable->publish(name, "mail", envelope);
    for (auto [label, result] : {std::pair{"first", &first}, {"second", &second}, {"third", &third}}) {
        std::string who = label;
        EXPECT_FALSE(*result) << who;
        result->onError([this, who](const char* message) { events.push_back(who + ":error:" + message); })
            .onFinalize([this, who] { events.push_back(who + ":finalize"); });
    }
    EXPECT_EQ(events, (Events{"first:error:Frame could not be sent", "first:finalize",
                              "second:error:Frame could not be sent", "second:finalize",
                              "third:error:Frame could not be sent", "third:finalize"}));
}

TEST_P(ConfirmTest, RefusedPublicationIsNotReportedAgainOnChannelError) {
    publish("one");
    publish("refused", std::string(256, 'e'));
    events.clear();
    feeder.feed({"channel-error"});
    const std::string text = "404 NOT_FOUND - no exchange 'outbox'";
    EXPECT_EQ(events, (Events{"one:nack-or-error", "one:error:" + text, "channel:" + text, "one:finalize"}));
}

TEST_P(ConfirmTest, DeliveryTagsCountFromOneAndRestartAfterAChannelError) {
    Tagger& tagger = *reliable;
    EXPECT_EQ(tagger.publish("outbox", "mail", envelope), 1u);
    EXPECT_EQ(tagger.publish("outbox", "mail", envelope), 2u);
    feeder.feed({"channel-error"});
    EXPECT_EQ(tagger.publish("outbox", "mail", envelope), 0u);
    // a fresh channel starts its own count
    Channel second(&connection);
    feeder.feed({"channel-open-ok-2"});
    Tagger fresh(second);
    feeder.feed({"confirm-select-ok"});
    EXPECT_EQ(fresh.publish("outbox", "mail", envelope), 1u);
}

TEST_P(ConfirmTest, ConfirmModeOnAFailedChannelThrows) {
    feeder.feed({"channel-error"});
    try {
        Tagger tagger(*channel);
        FAIL() << "no exception";
    } catch (const std::runtime_error& error) {
        EXPECT_STREQ(error.what(), "could not enable publisher confirms");
    }
}

TEST_P(ConfirmTest, CallbackMayDestroyTheWrapper) {
    publish("one");
    publish("two");
    reliable->publish("outbox", "mail", envelope).onAck([&] { reliable.reset(); }).onFinalize([&] {
        events.push_back("three:finalize");
    });
    publish("four");
    events.clear();
    feeder.feed({"ack-3-multiple"});
    // the third ack destroyed the wrapper: the fourth is released unsettled
    EXPECT_EQ(events, (Events{"one:ack", "one:finalize", "two:ack", "two:finalize", "four:finalize",
                              "three:finalize"}));
    EXPECT_FALSE(reliable);
}

TEST_P(ConfirmTest, ChannelErrorFailsACloseThatWaitedForPublications) {
    publish("one");
    reliable->close().onError(
        [&](const char* message) { events.push_back(std::string("close:") + message); });
    events.clear();
    feeder.feed({"channel-error"});
    const std::string text = "404 NOT_FOUND - no exchange 'outbox'";
    EXPECT_EQ(events, (Events{"one:nack-or-error", "one:error:" + text, "channel:" + text, "close:" + text,
                              "one:finalize"}));
}

// A message published while the connection is still being set up waits
// whole: its content header is measured, and its body cut, with the frame
// size the broker grants in its tune, not the one the connection starts
// with.
TEST(HeldPublication, IsMeasuredAndCutWithTheGrantedFrameSize) {
    struct Case {
        const char* name;
        const char* tune;
        size_t recipients;
        bool kept;
        // payload sizes of the body frames; none: the publication failed
        std::vector<uint32_t> bodies;
    };
    const Case cases[] = {
        {"header over 4 KB, no limit granted", "tune-unlimited", 5000, false, {10000}},
        {"body kept by its owner, no limit", "tune-unlimited", 5000, true, {10000}},
        {"small header, 4 KB frames", "tune", 10, false, {4088, 4088, 1824}},
        {"header over the granted 4 KB", "tune", 5000, false, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Session session(false);
        Events events;
        Channel channel(session.connection.get());
        Reliable<Tagger> reliable(channel);
        auto body = std::make_shared<std::string>(10000, 'x');
        Envelope envelope =
            c.kept ? Envelope(body->data(), body->size(), body) : Envelope(body->data(), body->size());
        Table headers;
        headers.set("recipients", std::string(c.recipients, 'r'));
        envelope.setHeaders(headers);
        reliable.publish("outbox", "mail", envelope)
            .onAck([&] { events.push_back("ack"); })
            .onError([&](const char* message) { events.push_back(std::string("error:") + message); });
        // the caller's bytes may go away once publish returned
        if (!c.kept) body->assign(body->size(), '!');
        body.reset();

        session.handler.take();
        session.feeder.feed({"start", c.tune, "open-ok", "channel-open-ok-1", "confirm-select-ok"});
        std::vector<uint32_t> bodies;
        size_t headerFrames = 0;
        std::string payload;
        FrameStream stream([&](Frame& frame) {
            if (auto* part = dynamic_cast<BodyFrame*>(&frame)) {
                bodies.push_back(part->payloadSize());
                payload.append(part->payload(), part->payloadSize());
            }
            headerFrames += dynamic_cast<BasicHeaderFrame*>(&frame) != nullptr;
            return true;
        });
        stream.feed(session.handler.take());
        EXPECT_EQ(bodies, c.bodies);
        if (c.bodies.empty()) {
            EXPECT_EQ(headerFrames, 0u);
            EXPECT_EQ(events, Events{std::string("error:") + ChannelImpl::headerTooLarge});
            continue;
        }
        EXPECT_EQ(headerFrames, 1u);
        EXPECT_EQ(payload, std::string(10000, 'x'));
        session.feeder.feed({"ack-1"});
        EXPECT_EQ(events, Events{"ack"});
    }
}

// A confirm that comes before its publication went out (held behind the
// connection's handshake or the channel's open), or before the broker
// answered the confirm.select, cannot be the broker's: it is one of a tag
// never published, and the message is not taken as delivered.
TEST(EarlyConfirm, OfAPublicationNotWrittenYetFailsTheChannel) {
    // what the broker sent before its confirm; the last one in the same read
    const std::vector<std::vector<const char*>> stages = {{},
                                                          {"start"},
                                                          {"start", "tune"},
                                                          {"start", "tune", "open-ok"},
                                                          {"start", "tune", "open-ok", "channel-open-ok-1"}};
    for (const auto& stage : stages) {
        for (std::string confirm : {"ack", "nack"}) {
            SCOPED_TRACE(confirm + " after " + std::to_string(stage.size()) + " frames");
            Session session(false);
            Events events;
            Channel channel(session.connection.get());
            channel.onError(
                [&](const char* message) { events.push_back(std::string("channel:") + message); });
            Reliable<Tagger> reliable(channel);
            Envelope envelope("hello", 5);
            reliable.publish("outbox", "mail", envelope)
                .onAck([&] { events.push_back("ack"); })
                .onNack([&] { events.push_back("nack"); })
                .onError([&](const char* message) { events.push_back(std::string("error:") + message); });
            std::string bytes;
            for (const char* frame : stage)
                bytes += oracle(frame);
            session.feeder.feed(bytes + oracle(confirm + "-1"));
            const std::string text = "basic." + confirm + " of delivery tag 1, which was never published";
            EXPECT_EQ(events, (Events{"error:" + text, "channel:" + text}));
        }
    }
}
