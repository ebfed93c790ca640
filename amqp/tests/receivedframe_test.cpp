// Cutting received bytes into frames: limits, end markers, dispatch by type,
// class and method, and what a malformed or unexpected frame throws.
#include <gtest/gtest.h>

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include "amqp/buffers/bytebuffer.h"
#include "amqp/buffers/outbuffer.h"
#include "amqp/buffers/protocolexception.h"
#include "amqp/frames/basicframe.h"
#include "amqp/frames/channelframe.h"
#include "amqp/frames/connectionframe.h"
#include "amqp/framing/bodyframe.h"
#include "amqp/framing/heartbeatframe.h"
#include "amqp/framing/protocolheaderframe.h"
#include "amqp/framing/receivedframe.h"
#include "amqp/tests/framecodec.h"

namespace AMQP::Test {
namespace {

// a frame of any type around a raw payload
std::string rawFrame(uint8_t type, uint16_t channel, const std::string& payload, char end = '\xCE') {
    StringSink sink;
    sink.add(type);
    sink.add(channel);
    sink.add(static_cast<uint32_t>(payload.size()));
    sink.add(payload);
    sink.bytes += end;
    return sink.bytes;
}

std::string ids(uint16_t classID, uint16_t methodID) {
    StringSink sink;
    sink.add(classID);
    sink.add(methodID);
    return sink.bytes;
}

// the text of the ProtocolException that cutting and decoding the bytes
// throws, or "" when none
std::string failure(const std::string& bytes, uint32_t max = 0) {
    FrameStream stream([](Frame&) { return true; }, max);
    try {
        stream.feed(bytes);
    } catch (const ProtocolException& error) {
        return error.what();
    }
    return "";
}

// the same when the decoded frames are also processed, as a frame that no
// receiver takes is
std::string processingFailure(const std::string& bytes) {
    FrameStream stream([](Frame& frame) { return frame.process(nullptr); });
    try {
        stream.feed(bytes);
    } catch (const ProtocolException& error) {
        return error.what();
    }
    return "";
}

TEST(ReceivedFrame, WaitsForTheHeaderAndThenForTheWholeFrame) {
    std::string frame = encode(BasicAckFrame(1, 5, false));
    ByteBuffer six(frame.data(), 6);
    ReceivedFrame partial(six, 4096);
    EXPECT_FALSE(partial.header());
    EXPECT_FALSE(partial.complete());
    EXPECT_EQ(partial.consumed(), 0u);

    ByteBuffer header(frame.data(), 7);
    ReceivedFrame announced(header, 4096);
    EXPECT_TRUE(announced.header());
    EXPECT_FALSE(announced.complete());
    EXPECT_EQ(announced.type(), 1);
    EXPECT_EQ(announced.channel(), 1);
    EXPECT_EQ(announced.payloadSize(), frame.size() - 8);
    EXPECT_EQ(announced.totalSize(), frame.size());
    CallbackVisitor visitor([](Frame&) { return true; });
    EXPECT_THROW(announced.dispatch(visitor), std::logic_error);

    ByteBuffer all(frame.data(), frame.size() - 1);
    EXPECT_FALSE(ReceivedFrame(all, 4096).complete());
    ByteBuffer whole(frame.data(), frame.size());
    EXPECT_TRUE(ReceivedFrame(whole, 4096).complete());
}

TEST(ReceivedFrame, RefusesOversizedFramesAsSoonAsTheHeaderArrives) {
    std::string big = rawFrame(3, 1, std::string(4089, 'x'));
    // only the header has arrived
    EXPECT_EQ(failure(big.substr(0, 7), 4096), "frame size exceeded");
    EXPECT_EQ(failure(rawFrame(3, 1, std::string(4088, 'x')), 4096), "");
    // a limit below the header size does not wrap around
    EXPECT_EQ(failure(rawFrame(8, 0, ""), 5), "frame size exceeded");
    EXPECT_EQ(failure(rawFrame(8, 0, ""), 8), "");
    // without a limit the frame size must still fit 32 bits
    std::string huge("\x03\x00\x01\xff\xff\xff\xff", 7);
    EXPECT_EQ(failure(huge, 0), "frame size exceeded");
    std::string largest("\x03\x00\x01\xff\xff\xff\xf7", 7);
    EXPECT_EQ(failure(largest, 0), "");
}

TEST(ReceivedFrame, ChecksTheEndMarker) {
    EXPECT_EQ(failure(rawFrame(8, 0, "", '\xCD')), "invalid end of frame marker");
    EXPECT_EQ(failure(rawFrame(1, 0, ids(10, 51), '\0')), "invalid end of frame marker");
}

TEST(ReceivedFrame, DispatchesByFrameType) {
    std::vector<std::string> seen;
    FrameStream stream([&](Frame& frame) {
        if (dynamic_cast<HeartbeatFrame*>(&frame)) seen.push_back("heartbeat");
        if (auto* body = dynamic_cast<BodyFrame*>(&frame))
            seen.push_back("body " + std::string(body->payload(), body->payloadSize()));
        if (dynamic_cast<ConnectionCloseOKFrame*>(&frame)) seen.push_back("close-ok");
        return true;
    });
    EXPECT_EQ(stream.feed(rawFrame(8, 0, "") + rawFrame(4, 0, "") + rawFrame(3, 2, "abc") +
                          rawFrame(1, 0, ids(10, 51))),
              4u);
    EXPECT_EQ(seen, (std::vector<std::string>{"heartbeat", "heartbeat", "body abc", "close-ok"}));

    for (uint8_t type : {0, 5, 6, 7, 9, 255})
        EXPECT_EQ(failure(rawFrame(type, 0, "")), "unrecognized frame type " + std::to_string(type));
}

TEST(ReceivedFrame, NamesUnknownClassesAndMethods) {
    EXPECT_EQ(failure(rawFrame(1, 0, ids(11, 10))), "unrecognized method frame class 11");
    EXPECT_EQ(failure(rawFrame(1, 0, ids(0, 0))), "unrecognized method frame class 0");
    const std::pair<uint16_t, const char*> classes[] = {{10, "connection"}, {20, "channel"}, {40, "exchange"},
                                                        {50, "queue"},      {60, "basic"},   {85, "confirm"},
                                                        {90, "transaction"}};
    for (auto [classID, name] : classes)
        EXPECT_EQ(failure(rawFrame(1, 1, ids(classID, 9999))),
                  std::string("unrecognized ") + name + " frame method 9999");
    // exchange.unbind-ok is method 51; 41 is nothing
    EXPECT_EQ(failure(rawFrame(1, 1, ids(40, 41))), "unrecognized exchange frame method 41");
    EXPECT_EQ(failure(rawFrame(1, 1, ids(40, 51))), "");
    EXPECT_EQ(failure(rawFrame(2, 1, ids(50, 0))), "unrecognized header frame class 50");
    // a method frame too short for its ids
    EXPECT_EQ(failure(rawFrame(1, 1, "\x00")), "frame out of range");
}

TEST(ReceivedFrame, ReadsArgumentsOnlyInsideThePayload) {
    // a basic.ack whose declared payload ends inside its delivery tag, followed
    // by a heartbeat: the tag must not be completed from the heartbeat's bytes
    std::string shortAck = rawFrame(1, 1, ids(60, 80) + std::string("\0\0\0\0", 4));
    std::string heartbeat = rawFrame(8, 0, "");
    EXPECT_EQ(failure(shortAck + heartbeat + heartbeat), "frame out of range");

    // the same for a string whose announced length runs past the payload
    std::string blocked = rawFrame(1, 0,
                                   ids(10, 60) + "\x05"
                                                 "ab");
    EXPECT_EQ(failure(blocked + heartbeat), "frame out of range");

    // a body frame's bytes are its payload and nothing after it
    int bodies = 0;
    FrameStream stream([&](Frame& frame) {
        auto* body = dynamic_cast<BodyFrame*>(&frame);
        if (body) {
            EXPECT_EQ(std::string(body->payload(), body->payloadSize()), "xy");
        }
        bodies += body != nullptr;
        return true;
    });
    stream.feed(rawFrame(3, 1, "xy") + heartbeat);
    EXPECT_EQ(bodies, 1);
}

TEST(ReceivedFrame, SkipsPayloadBytesAfterTheArguments) {
    std::string padded = rawFrame(1, 1, encode(BasicAckFrame(1, 77, true)).substr(7, 13) + "junk");
    std::vector<uint64_t> tags;
    FrameStream stream([&](Frame& frame) {
        if (auto* ack = dynamic_cast<BasicAckFrame*>(&frame)) tags.push_back(ack->deliveryTag());
        return true;
    });
    EXPECT_EQ(stream.feed(padded + encode(BasicAckFrame(1, 78, false))), 2u);
    EXPECT_EQ(tags, (std::vector<uint64_t>{77, 78}));
}

TEST(ReceivedFrame, KeepsAnIncompleteFrameForLater) {
    std::string first = encode(BasicAckFrame(1, 1, false));
    std::string second = encode(BasicDeliverFrame(1, "ctag", 2, false, "ex", "rk"));
    int frames = 0;
    FrameStream stream([&](Frame&) { return ++frames, true; });
    EXPECT_EQ(stream.feed(first + second.substr(0, 3)), 1u);
    EXPECT_EQ(stream.expected(), 7u);
    EXPECT_EQ(stream.pending(), second.substr(0, 3));
    EXPECT_EQ(stream.feed(second.substr(3, 10)), 0u);
    EXPECT_EQ(stream.expected(), second.size());
    EXPECT_EQ(stream.feed(second.substr(13)), 1u);
    EXPECT_EQ(stream.pending(), "");
    EXPECT_EQ(frames, 2);
}

TEST(ReceivedFrame, BodyPointsIntoTheReceivedBytes) {
    std::string bytes = rawFrame(3, 4, "payload");
    ByteBuffer buffer(bytes.data(), bytes.size());
    ReceivedFrame frame(buffer, 0);
    const char* payload = nullptr;
    CallbackVisitor visitor([&](Frame& received) {
        payload = dynamic_cast<BodyFrame&>(received).payload();
        return true;
    });
    EXPECT_TRUE(frame.dispatch(visitor));
    EXPECT_EQ(payload, bytes.data() + 7);
}

TEST(ReceivedFrame, UnexpectedFramesFailWhenProcessed) {
    // sent by the client only, or not supported: decoded, then refused
    EXPECT_EQ(processingFailure(encode(ConnectionStartOKFrame(Table(), "PLAIN", "", "en_US"))),
              "unimplemented frame type 1 class 10 method 11");
    EXPECT_EQ(processingFailure(encode(ChannelFlowFrame(1, true))),
              "unimplemented frame type 1 class 20 method 20");
    EXPECT_EQ(processingFailure(encode(BasicRecoverAsyncFrame(1, true))),
              "unimplemented frame type 1 class 60 method 100");
    EXPECT_EQ(processingFailure(rawFrame(1, 0, ids(10, 20) + std::string("\0\0\0\0", 4))),
              "unimplemented frame type 1 class 10 method 20");
    EXPECT_EQ(processingFailure(rawFrame(3, 1, "x")), "unimplemented frame type 3");
    EXPECT_THROW(ProtocolHeaderFrame().process(nullptr), ProtocolException);
}

TEST(ReceivedFrame, RefusesABrokerFrameMaximumBelowTheMinimum) {
    EXPECT_EQ(failure(encode(ConnectionTuneFrame(0, 4095, 0))),
              "frame max below the protocol minimum of 4096");
    EXPECT_EQ(failure(encode(ConnectionTuneFrame(0, 7, 0))), "frame max below the protocol minimum of 4096");
    // 0 is no limit at all
    for (uint32_t max : {0u, 4096u}) {
        uint32_t seen = 1;
        FrameStream stream(
            [&](Frame& frame) { return seen = dynamic_cast<ConnectionTuneFrame&>(frame).frameMax(), true; });
        stream.feed(encode(ConnectionTuneFrame(0, max, 0)));
        EXPECT_EQ(seen, max);
    }
}

// a visitor that takes acks itself and leaves the rest to the fallback
class AckVisitor : public FrameVisitor {
public:
    int acks = 0;
    int others = 0;
    bool visit(BasicAckFrame&) override { return ++acks, true; }

protected:
    bool fallback(Frame&) override { return ++others, false; }
};

TEST(ReceivedFrame, HandsEachFrameToItsOwnOverload) {
    AckVisitor visitor;
    std::string bytes = encode(BasicAckFrame(1, 1, false)) + encode(BasicNackFrame(1, 1, false, false));
    ByteBuffer buffer(bytes.data(), bytes.size());
    ReceivedFrame ack(buffer, 0);
    EXPECT_TRUE(ack.dispatch(visitor));
    ReducedBuffer rest(buffer, ack.totalSize());
    ReceivedFrame nack(rest, 0);
    EXPECT_FALSE(nack.dispatch(visitor));
    EXPECT_EQ(visitor.acks, 1);
    EXPECT_EQ(visitor.others, 1);
}

} // namespace
} // namespace AMQP::Test
