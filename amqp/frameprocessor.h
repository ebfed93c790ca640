// What receiving each frame does to the connection and its channels: the
// handshake steps, replies that resolve a channel's pending results, and the
// frames of incoming messages. Frames the client never expects fall back to
// their own process(), which reports them as a protocol error.
#pragma once

#include <memory>

#include "amqp/frames/framevisitor.h"

namespace AMQP {

class ChannelImpl;
class ConnectionImpl;
class ExtFrame;

class FrameProcessor : public FrameVisitor {
public:
    explicit FrameProcessor(ConnectionImpl* connection) : _connection(connection) {}

    bool visit(BodyFrame& frame) override;
    bool visit(BasicHeaderFrame& frame) override;
    bool visit(HeartbeatFrame& frame) override;

    bool visit(ConnectionStartFrame& frame) override;
    bool visit(ConnectionTuneFrame& frame) override;
    bool visit(ConnectionOpenOKFrame& frame) override;
    bool visit(ConnectionCloseFrame& frame) override;
    bool visit(ConnectionCloseOKFrame& frame) override;
    bool visit(ConnectionBlockFrame& frame) override;
    bool visit(ConnectionUnblockFrame& frame) override;

    bool visit(ChannelOpenOKFrame& frame) override;
    bool visit(ConfirmSelectOKFrame& frame) override;
    bool visit(ChannelFlowOKFrame& frame) override;
    bool visit(ChannelCloseFrame& frame) override;
    bool visit(ChannelCloseOKFrame& frame) override;

    bool visit(QueueDeclareOKFrame& frame) override;
    bool visit(QueuePurgeOKFrame& frame) override;
    bool visit(QueueDeleteOKFrame& frame) override;

    bool visit(BasicConsumeOKFrame& frame) override;
    bool visit(BasicCancelFrame& frame) override;
    bool visit(BasicCancelOKFrame& frame) override;
    bool visit(BasicReturnFrame& frame) override;
    bool visit(BasicDeliverFrame& frame) override;
    bool visit(BasicGetOKFrame& frame) override;
    bool visit(BasicAckFrame& frame) override;
    bool visit(BasicNackFrame& frame) override;

protected:
    bool fallback(Frame& frame) override;
    // the replies the method table marks as only resolving the channel's
    // oldest result
    bool succeed(ExtFrame& frame) override;

private:
    // the channel the frame travels on, empty when there is none
    std::shared_ptr<ChannelImpl> channel(const ExtFrame& frame) const;

    ConnectionImpl* _connection;
};

} // namespace AMQP
