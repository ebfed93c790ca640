// The two ways a frame leaves: copied into an exactly sized buffer to wait,
// or streamed through a small staging area straight to the handler.
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "amqp/buffers/outbuffer.h"
#include "amqp/frames/basicframe.h"
#include "amqp/frames/connectionframe.h"
#include "amqp/framing/bodyframe.h"
#include "amqp/framing/copiedbuffer.h"
#include "amqp/framing/heartbeatframe.h"
#include "amqp/framing/passthroughbuffer.h"
#include "amqp/framing/protocolheaderframe.h"
#include "amqp/tests/framecodec.h"

namespace AMQP::Test {
namespace {

// a frame that announces one size and writes another
class LyingFrame : public Frame {
public:
    LyingFrame(uint32_t announced, size_t written) : _announced(announced), _written(written) {}
    uint32_t totalSize() const override { return _announced; }
    void fill(OutBuffer& buffer) const override { buffer.add(std::string(_written, 'x')); }
    bool needsSeparator() const override { return false; }

private:
    uint32_t _announced;
    size_t _written;
};

TEST(CopiedBuffer, HoldsExactlyTheFrameAndItsMarker) {
    BasicPublishFrame publish(3, "outbox", "mail", false, false);
    CopiedBuffer copy(publish);
    EXPECT_EQ(copy.size(), publish.totalSize());
    EXPECT_EQ(copy.data()[copy.size() - 1], '\xCE');
    EXPECT_FALSE(copy.synchronous());
    EXPECT_TRUE(CopiedBuffer(ConnectionOpenFrame("/")).synchronous());

    CopiedBuffer header{ProtocolHeaderFrame()};
    EXPECT_EQ(std::string(header.data(), header.size()), std::string("AMQP\0\0\x09\x01", 8));
}

TEST(CopiedBuffer, MovesLeaveTheSourceEmpty) {
    CopiedBuffer first(HeartbeatFrame{});
    const char* data = first.data();
    CopiedBuffer second(std::move(first));
    EXPECT_EQ(second.data(), data);
    EXPECT_EQ(second.size(), 8u);
    EXPECT_EQ(first.data(), nullptr);
    EXPECT_EQ(first.size(), 0u);

    CopiedBuffer third(BasicAckFrame(1, 1, true));
    third = std::move(second);
    EXPECT_EQ(third.data(), data);
    EXPECT_EQ(second.size(), 0u);
}

TEST(CopiedBuffer, RefusesAFrameThatWritesMoreOrLessThanItsSize) {
    EXPECT_THROW(CopiedBuffer(LyingFrame(10, 11)), std::length_error);
    EXPECT_THROW(CopiedBuffer(LyingFrame(10, 100000)), std::length_error);
    EXPECT_THROW(CopiedBuffer(LyingFrame(10, 9)), std::length_error);
    EXPECT_EQ(CopiedBuffer(LyingFrame(10, 10)).size(), 10u);
    EXPECT_EQ(CopiedBuffer(LyingFrame(0, 0)).size(), 0u);
}

// records every onData call
struct Recorder {
    std::vector<std::string> calls;
    std::vector<const char*> pointers;
    void onData(Connection*, const char* data, size_t size) {
        calls.emplace_back(data, size);
        pointers.push_back(data);
    }
};

TEST(PassthroughBuffer, HandsASmallFrameOverInOneCall) {
    Recorder recorder;
    BasicAckFrame ack(2, 9, false);
    BasicPassthroughBuffer<Recorder>(nullptr, &recorder, ack);
    ASSERT_EQ(recorder.calls.size(), 1u);
    EXPECT_EQ(hex(recorder.calls[0]), hex(encode(ack)));

    Recorder header;
    BasicPassthroughBuffer<Recorder>(nullptr, &header, ProtocolHeaderFrame());
    EXPECT_EQ(header.calls, (std::vector<std::string>{std::string("AMQP\0\0\x09\x01", 8)}));
}

TEST(PassthroughBuffer, PassesLargeBodiesWithoutCopying) {
    std::string body(10000, 'b');
    Recorder recorder;
    BasicPassthroughBuffer<Recorder>(nullptr, &recorder, BodyFrame(1, body.data(), body.size()));
    ASSERT_EQ(recorder.calls.size(), 3u);
    EXPECT_EQ(recorder.calls[0].size(), 7u);
    EXPECT_EQ(recorder.pointers[1], body.data());
    EXPECT_EQ(recorder.calls[1].size(), 10000u);
    EXPECT_EQ(recorder.calls[2], "\xCE");
}

TEST(PassthroughBuffer, StagesUpTo4096BytesAndKeepsTheOrder) {
    // header (7), body and marker (1) share the 4096 staging bytes as far
    // as they fit; what does not fit makes the staged bytes go first
    const std::pair<size_t, size_t> expectedCalls[] = {{4088, 1}, {4089, 2}, {4095, 2}, {4096, 3}, {4097, 3}};
    for (auto [size, calls] : expectedCalls) {
        SCOPED_TRACE(size);
        std::string body(size, 'c');
        BodyFrame frame(1, body.data(), body.size());
        Recorder recorder;
        BasicPassthroughBuffer<Recorder>(nullptr, &recorder, frame);
        std::string joined;
        for (auto& call : recorder.calls) {
            EXPECT_LE(call.size(), size > 4096 ? size : 4096u);
            joined += call;
        }
        EXPECT_EQ(joined, encode(frame));
        EXPECT_EQ(recorder.calls.size(), calls);
    }
}

} // namespace
} // namespace AMQP::Test
