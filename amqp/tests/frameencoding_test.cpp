// Frames against AMQP 0-9-1 frames computed independently (frameoracle.py,
// Python's struct module): what the client writes must match byte for byte,
// and what a broker writes must decode into the right values.
#include <gtest/gtest.h>

#include <map>
#include <sstream>
#include <stdexcept>
#include <string>

#include "amqp/frames/basicframe.h"
#include "amqp/frames/channelframe.h"
#include "amqp/frames/confirmframe.h"
#include "amqp/frames/connectionframe.h"
#include "amqp/frames/exchangeframe.h"
#include "amqp/frames/queueframe.h"
#include "amqp/frames/transactionframe.h"
#include "amqp/framing/basicheaderframe.h"
#include "amqp/framing/bodyframe.h"
#include "amqp/framing/heartbeatframe.h"
#include "amqp/framing/protocolheaderframe.h"
#include "amqp/tests/framecodec.h"
#include "amqp/values/envelope.h"
#include "amqp/values/metadata.h"
#include "amqp/values/numericfield.h"
#include "testsupport/process.h"

namespace AMQP::Test {
namespace {

// the oracle's frames by name, as raw bytes
const std::map<std::string, std::string>& oracle() {
    static const std::map<std::string, std::string> frames = [] {
        auto result = Orvanta::Test::runProcess(
            {Orvanta::Test::python3(), ORVANTA_SOURCE_DIR "/amqp/tests/frameoracle.py"});
        if (result.status != 0) throw std::runtime_error("frameoracle.py failed: " + result.err);
        std::map<std::string, std::string> out;
        std::istringstream lines(result.out);
        std::string name, bytes;
        while (lines >> name >> bytes)
            out[name] = unhex(bytes);
        return out;
    }();
    return frames;
}

std::string expected(const std::string& name) {
    auto found = oracle().find(name);
    if (found == oracle().end()) throw std::runtime_error("no oracle case " + name);
    return found->second;
}

#define EXPECT_FRAME(name, frame) EXPECT_EQ(hex(encode(frame)), hex(expected(name))) << name

TEST(FrameEncoding, ConnectionHandshakeAndClose) {
    EXPECT_FRAME("protocol-header", ProtocolHeaderFrame());
    EXPECT_FRAME("heartbeat", HeartbeatFrame());

    Table capabilities;
    capabilities["authentication_failure_close"] = true;
    capabilities["consumer_cancel_notify"] = true;
    Table client;
    client["product"] = "tarvex";
    client["capabilities"] = capabilities;
    EXPECT_FRAME("start-ok",
                 ConnectionStartOKFrame(client, "PLAIN", std::string("\0guest\0guest", 12), "en_US"));
    EXPECT_FRAME("tune-ok", ConnectionTuneOKFrame(2047, 131072, 60));
    EXPECT_FRAME("open", ConnectionOpenFrame("/"));
    EXPECT_FRAME("close", ConnectionCloseFrame(0, "shutdown", 0, 0));
    EXPECT_FRAME("close-ok", ConnectionCloseOKFrame());
}

TEST(FrameEncoding, ChannelExchangeAndQueue) {
    EXPECT_FRAME("channel-open", ChannelOpenFrame(1));
    EXPECT_FRAME("channel-close", ChannelCloseFrame(3, 406, "PRECONDITION_FAILED", 50, 10));
    EXPECT_FRAME("exchange-declare",
                 ExchangeDeclareFrame(1, "outbox", "topic", false, true, false, false, true, Table()));
    EXPECT_FRAME("exchange-unbind", ExchangeUnbindFrame(1, "dst", "src", "a.b", false, Table()));

    Table arguments;
    arguments.set("x-queue-type", std::string("classic"));
    arguments.set("x-max-length", NumericField<int, 'I'>(10));
    EXPECT_FRAME("queue-declare", QueueDeclareFrame(2, "mails", false, true, true, false, false, arguments));
    EXPECT_FRAME("queue-unbind", QueueUnbindFrame(2, "mails", "outbox", "#", Table()));
    EXPECT_FRAME("queue-delete", QueueDeleteFrame(2, "mails", true, false, true));
}

TEST(FrameEncoding, BasicConfirmAndTransaction) {
    EXPECT_FRAME("basic-qos", BasicQosFrame(1, 10, true));
    EXPECT_FRAME("basic-consume", BasicConsumeFrame(1, "mails", "ctag", false, true, false, false, Table()));
    EXPECT_FRAME("basic-publish", BasicPublishFrame(1, "outbox", "mail", true, false));
    EXPECT_FRAME("basic-ack", BasicAckFrame(1, (uint64_t(1) << 40) + 5, true));
    EXPECT_FRAME("basic-nack", BasicNackFrame(1, 7, true, true));
    EXPECT_FRAME("basic-reject", BasicRejectFrame(1, 9, false));
    EXPECT_FRAME("confirm-select", ConfirmSelectFrame(1, false));
    EXPECT_FRAME("tx-commit", TransactionCommitFrame(5));
}

TEST(FrameEncoding, ContentFrames) {
    static const char body[] = "hello, world";
    EXPECT_FRAME("body", BodyFrame(1, body, sizeof body - 1));

    MetaData properties;
    properties.setContentEncoding("gzip");
    Table headers;
    headers["recipients"] = "a@example.org,b@example.org";
    properties.setHeaders(headers);
    EXPECT_FRAME("content-header", BasicHeaderFrame(1, properties, 1234));

    Envelope envelope(body, 1234);
    envelope.setContentEncoding("gzip");
    envelope.setHeaders(headers);
    EXPECT_FRAME("content-header", BasicHeaderFrame(1, envelope));
}

TEST(FrameDecoding, ConnectionFramesFromTheBroker) {
    expectRoundTrip<ConnectionStartFrame>(expected("start"), [](const ConnectionStartFrame& frame) {
        EXPECT_EQ(frame.channel(), 0);
        EXPECT_EQ(frame.versionMajor(), 0);
        EXPECT_EQ(frame.versionMinor(), 9);
        EXPECT_EQ(frame.serverProperties().keys(), (std::vector<std::string>{"cluster_name", "version"}));
        EXPECT_EQ(static_cast<const std::string&>(frame.serverProperties().get("version")), "3.12.1");
        EXPECT_EQ(frame.mechanisms(), "AMQPLAIN PLAIN");
        EXPECT_EQ(frame.locales(), "en_US");
    });
    expectRoundTrip<ConnectionTuneFrame>(expected("tune"), [](const ConnectionTuneFrame& frame) {
        EXPECT_EQ(frame.channelMax(), 2047);
        EXPECT_EQ(frame.frameMax(), 131072u);
        EXPECT_EQ(frame.heartbeat(), 60);
    });
    expectRoundTrip<ConnectionOpenOKFrame>(expected("open-ok"), [](const ConnectionOpenOKFrame&) {});
    expectRoundTrip<ConnectionCloseFrame>(expected("broker-close"), [](const ConnectionCloseFrame& frame) {
        EXPECT_EQ(frame.code(), 320);
        EXPECT_EQ(frame.text(), "CONNECTION_FORCED");
    });
    expectRoundTrip<ConnectionBlockFrame>(expected("blocked"), [](const ConnectionBlockFrame& frame) {
        EXPECT_EQ(frame.reason(), "low on memory");
    });
}

TEST(FrameDecoding, ChannelFramesFromTheBroker) {
    expectRoundTrip<QueueDeclareOKFrame>(expected("queue-declare-ok"), [](const QueueDeclareOKFrame& frame) {
        EXPECT_EQ(frame.channel(), 2);
        EXPECT_EQ(frame.name(), "amq.gen-1");
        EXPECT_EQ(frame.messageCount(), 12);
        EXPECT_EQ(frame.consumerCount(), 3);
    });
    expectRoundTrip<BasicDeliverFrame>(expected("basic-deliver"), [](const BasicDeliverFrame& frame) {
        EXPECT_EQ(frame.consumerTag(), "ctag");
        EXPECT_EQ(frame.deliveryTag(), 42u);
        EXPECT_TRUE(frame.redelivered());
        EXPECT_EQ(frame.exchange(), "outbox");
        EXPECT_EQ(frame.routingKey(), "mail");
    });
    expectRoundTrip<BasicGetOKFrame>(expected("basic-get-ok"), [](const BasicGetOKFrame& frame) {
        EXPECT_EQ(frame.deliveryTag(), 43u);
        EXPECT_FALSE(frame.redelivered());
        EXPECT_EQ(frame.exchange(), "outbox");
        EXPECT_EQ(frame.routingKey(), "mail");
        EXPECT_EQ(frame.messageCount(), 17u);
    });
    expectRoundTrip<BasicReturnFrame>(expected("basic-return"), [](const BasicReturnFrame& frame) {
        EXPECT_EQ(frame.replyCode(), 312);
        EXPECT_EQ(frame.replyText(), "NO_ROUTE");
        EXPECT_EQ(frame.exchange(), "outbox");
        EXPECT_EQ(frame.routingKey(), "nowhere");
    });
    expectRoundTrip<BasicAckFrame>(expected("broker-ack"), [](const BasicAckFrame& frame) {
        EXPECT_EQ(frame.deliveryTag(), 3u);
        EXPECT_TRUE(frame.multiple());
    });
    expectRoundTrip<ExchangeUnbindOKFrame>(expected("unbind-ok"), [](const ExchangeUnbindOKFrame&) {});
}

TEST(FrameDecoding, ContentFramesFromTheBroker) {
    expectRoundTrip<BasicHeaderFrame>(expected("content-header"), [](const BasicHeaderFrame& frame) {
        EXPECT_EQ(frame.channel(), 1);
        EXPECT_EQ(frame.bodySize(), 1234u);
        EXPECT_TRUE(frame.metaData().hasContentEncoding());
        EXPECT_TRUE(frame.metaData().hasHeaders());
        EXPECT_FALSE(frame.metaData().hasContentType());
    });
    expectRoundTrip<BodyFrame>(expected("body"), [](const BodyFrame& frame) {
        EXPECT_EQ(std::string(frame.payload(), frame.payloadSize()), "hello, world");
    });
    expectRoundTrip<HeartbeatFrame>(expected("heartbeat"), [](const HeartbeatFrame& frame) {
        EXPECT_EQ(frame.channel(), 0);
        EXPECT_EQ(frame.payloadSize(), 0u);
    });
}

} // namespace
} // namespace AMQP::Test
