// What the connection and the channels ask of a frame before sending it:
// whether it waits for a reply, belongs to the handshake or to the shutdown,
// and the limits on what a frame can carry.
#include <gtest/gtest.h>

#include <cstdint>
#include <stdexcept>
#include <string>

#include "amqp/frames/basicframe.h"
#include "amqp/frames/channelframe.h"
#include "amqp/frames/confirmframe.h"
#include "amqp/frames/connectionframe.h"
#include "amqp/frames/exchangeframe.h"
#include "amqp/frames/queueframe.h"
#include "amqp/frames/transactionframe.h"
#include "amqp/framing/bodyframe.h"
#include "amqp/framing/heartbeatframe.h"
#include "amqp/framing/protocolheaderframe.h"

namespace AMQP {
namespace {

TEST(FrameFlags, SynchronousUnlessNoWaitOrFireAndForget) {
    Table none;
    EXPECT_TRUE(
        ExchangeDeclareFrame(1, "e", "direct", false, false, false, false, false, none).synchronous());
    EXPECT_FALSE(
        ExchangeDeclareFrame(1, "e", "direct", false, false, false, false, true, none).synchronous());
    EXPECT_FALSE(ExchangeDeleteFrame(1, "e", false, true).synchronous());
    EXPECT_FALSE(ExchangeBindFrame(1, "a", "b", "k", true, none).synchronous());
    EXPECT_FALSE(ExchangeUnbindFrame(1, "a", "b", "k", true, none).synchronous());
    EXPECT_TRUE(QueueDeclareFrame(1, "q", false, false, false, false, false, none).synchronous());
    EXPECT_FALSE(QueueDeclareFrame(1, "q", false, false, false, false, true, none).synchronous());
    EXPECT_FALSE(QueueBindFrame(1, "q", "e", "k", true, none).synchronous());
    EXPECT_FALSE(QueuePurgeFrame(1, "q", true).synchronous());
    EXPECT_FALSE(QueueDeleteFrame(1, "q", true, true, true).synchronous());
    EXPECT_TRUE(QueueDeleteFrame(1, "q", true, true, false).synchronous());
    EXPECT_TRUE(QueueUnbindFrame(1, "q", "e", "k", none).synchronous());
    EXPECT_FALSE(BasicConsumeFrame(1, "q", "t", false, false, false, true, none).synchronous());
    EXPECT_FALSE(BasicCancelFrame(1, "t", true).synchronous());
    EXPECT_TRUE(BasicCancelFrame(1, "t", false).synchronous());

    EXPECT_FALSE(BasicPublishFrame(1, "e", "k", false, false).synchronous());
    EXPECT_FALSE(BasicAckFrame(1, 1, false).synchronous());
    EXPECT_FALSE(BasicNackFrame(1, 1, false, false).synchronous());
    EXPECT_FALSE(BasicRejectFrame(1, 1, false).synchronous());

    EXPECT_TRUE(BasicRecoverFrame(1, false).synchronous());
    EXPECT_TRUE(BasicQosFrame(1, 1, false).synchronous());
    EXPECT_TRUE(BasicGetFrame(1, "q", true).synchronous());
    EXPECT_TRUE(ConfirmSelectFrame(1, false).synchronous());
    EXPECT_TRUE(ChannelOpenFrame(1).synchronous());
    EXPECT_TRUE(ChannelCloseFrame(1, 200, "", 0, 0).synchronous());
    EXPECT_TRUE(TransactionCommitFrame(1).synchronous());
    EXPECT_FALSE(HeartbeatFrame().synchronous());
    EXPECT_FALSE(BodyFrame(1, "", 0).synchronous());
}

TEST(FrameFlags, HandshakeAndShutdownFrames) {
    EXPECT_TRUE(ProtocolHeaderFrame().partOfHandshake());
    EXPECT_FALSE(ProtocolHeaderFrame().needsSeparator());
    EXPECT_TRUE(ConnectionStartOKFrame(Table(), "PLAIN", "", "en_US").partOfHandshake());
    EXPECT_TRUE(ConnectionTuneOKFrame(0, 0, 0).partOfHandshake());
    EXPECT_TRUE(ConnectionOpenFrame("/").partOfHandshake());
    EXPECT_FALSE(HeartbeatFrame().partOfHandshake());
    EXPECT_FALSE(ChannelOpenFrame(1).partOfHandshake());

    EXPECT_TRUE(ConnectionCloseFrame(0, "shutdown", 0, 0).partOfShutdown());
    // close-ok answers the broker and is not part of the client's own shutdown
    EXPECT_FALSE(ConnectionCloseOKFrame().partOfShutdown());
    EXPECT_FALSE(ChannelCloseFrame(1, 0, "", 0, 0).partOfShutdown());
    EXPECT_TRUE(HeartbeatFrame().needsSeparator());
}

TEST(FrameFlags, ConnectionFramesGoOnChannelZero) {
    EXPECT_EQ(ConnectionOpenFrame("/").channel(), 0);
    EXPECT_EQ(ConnectionCloseOKFrame().channel(), 0);
    EXPECT_EQ(HeartbeatFrame().channel(), 0);
    EXPECT_EQ(ChannelOpenFrame(65535).channel(), 65535);
}

TEST(FrameLimits, NamesLongerThanAShortStringAreRefused) {
    std::string longest(255, 'n');
    EXPECT_EQ(BasicPublishFrame(1, longest, longest, false, false).payloadSize(), 4u + 2 + 256 + 256 + 1);
    std::string tooLong(256, 'n');
    EXPECT_THROW(BasicPublishFrame(1, tooLong, "k", false, false), std::runtime_error);
    EXPECT_THROW(BasicPublishFrame(1, "e", tooLong, false, false), std::runtime_error);
    EXPECT_THROW(ConnectionOpenFrame{tooLong}, std::runtime_error);
    // a long string takes it
    EXPECT_EQ(ConnectionStartOKFrame(Table(), "PLAIN", tooLong, "en_US").response(), tooLong);
}

TEST(FrameLimits, APayloadMustLeaveRoomForTheFrameSize) {
    // nothing is read from the pointer: the size alone is refused
    EXPECT_THROW(BodyFrame(1, "", UINT32_MAX), std::runtime_error);
    EXPECT_THROW(BodyFrame(1, "", UINT32_MAX - 7), std::runtime_error);
    EXPECT_EQ(BodyFrame(1, "", UINT32_MAX - 8).totalSize(), UINT32_MAX);
}

} // namespace
} // namespace AMQP
