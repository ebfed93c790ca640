#include "amqp/frameprocessor.h"

#include "amqp/channelimpl.h"
#include "amqp/clientproperties.h"
#include "amqp/connectionimpl.h"
#include "amqp/deferred/deferredconfirm.h"
#include "amqp/deferredconsumer.h"
#include "amqp/deferredrecall.h"
#include "amqp/deferredreceiver.h"
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
#include "amqp/monitor.h"
#include "amqp/values/table.h"

#include <string>

namespace AMQP {

namespace {

// The broker's reason for closing, with its reply code first ("404
// NOT_FOUND - no exchange ..."): the code is what tells a refusal that can
// never succeed (406) from one that may pass later.
std::string reason(int code, const std::string& text) {
    return std::to_string(code) + " " + text;
}

} // namespace

std::shared_ptr<ChannelImpl> FrameProcessor::channel(const ExtFrame& frame) const {
    return _connection->channel(frame.channel());
}

bool FrameProcessor::succeed(ExtFrame& frame) {
    auto target = channel(frame);
    if (!target) return false;
    target->reportSuccess();
    return true;
}

bool FrameProcessor::fallback(Frame& frame) {
    return frame.process(_connection);
}

bool FrameProcessor::visit(BodyFrame& frame) {
    auto target = channel(frame);
    if (!target || !target->receiver()) return false;
    target->receiver()->process(frame);
    return true;
}

bool FrameProcessor::visit(BasicHeaderFrame& frame) {
    auto target = channel(frame);
    if (!target || !target->receiver()) return false;
    target->receiver()->process(frame);
    return true;
}

bool FrameProcessor::visit(HeartbeatFrame&) {
    _connection->reportHeartbeat();
    return true;
}

bool FrameProcessor::visit(ConnectionStartFrame& frame) {
    Table client;
    if (!_connection->setProtocolOk(frame.serverProperties(), client)) return true;
    ClientProperties::complete(client);
    _connection->send(ConnectionStartOKFrame(client, "PLAIN", _connection->login().saslPlain(), "en_US"));
    return true;
}

bool FrameProcessor::visit(ConnectionTuneFrame& frame) {
    _connection->setCapacity(frame.channelMax(), frame.frameMax());
    Monitor monitor(_connection);
    uint16_t interval = _connection->setHeartbeat(frame.heartbeat());
    if (!monitor.valid()) return true;
    _connection->send(ConnectionTuneOKFrame(frame.channelMax(), frame.frameMax(), interval));
    if (monitor.valid()) _connection->send(ConnectionOpenFrame(_connection->vhost()));
    return true;
}

bool FrameProcessor::visit(ConnectionOpenOKFrame&) {
    _connection->setReady();
    return true;
}

bool FrameProcessor::visit(ConnectionCloseFrame& frame) {
    Monitor monitor(_connection);
    _connection->send(ConnectionCloseOKFrame());
    if (monitor.valid()) _connection->reportError(reason(frame.code(), frame.text()).c_str());
    return true;
}

bool FrameProcessor::visit(ConnectionCloseOKFrame&) {
    _connection->reportClosed();
    return true;
}

bool FrameProcessor::visit(ConnectionBlockFrame& frame) {
    _connection->reportBlocked(frame.reason().c_str());
    return true;
}

bool FrameProcessor::visit(ConnectionUnblockFrame&) {
    _connection->reportUnblocked();
    return true;
}

bool FrameProcessor::visit(ChannelOpenOKFrame& frame) {
    auto target = channel(frame);
    if (!target) return false;
    target->reportReady();
    return true;
}

bool FrameProcessor::visit(ConfirmSelectOKFrame& frame) {
    auto target = channel(frame);
    if (!target) return false;
    target->reportConfirming();
    return succeed(frame);
}

bool FrameProcessor::visit(ChannelFlowOKFrame& frame) {
    return succeed(frame);
}

bool FrameProcessor::visit(ChannelCloseFrame& frame) {
    // answered on the connection itself, not behind the channel's held
    // frames, and even for a channel we do not know
    Monitor monitor(_connection);
    _connection->send(ChannelCloseOKFrame(frame.channel()));
    if (!monitor.valid()) return true;
    auto target = channel(frame);
    if (!target) return false;
    target->reportError(reason(frame.code(), frame.text()).c_str(), true);
    return true;
}

bool FrameProcessor::visit(ChannelCloseOKFrame& frame) {
    auto target = channel(frame);
    if (!target) return false;
    target->reportClosed();
    return true;
}

bool FrameProcessor::visit(QueueDeclareOKFrame& frame) {
    auto target = channel(frame);
    if (!target) return false;
    target->reportSuccess(frame.name(), static_cast<uint32_t>(frame.messageCount()),
                          static_cast<uint32_t>(frame.consumerCount()));
    return true;
}

bool FrameProcessor::visit(QueuePurgeOKFrame& frame) {
    auto target = channel(frame);
    if (!target) return false;
    target->reportSuccess(static_cast<uint32_t>(frame.messageCount()));
    return true;
}

bool FrameProcessor::visit(QueueDeleteOKFrame& frame) {
    auto target = channel(frame);
    if (!target) return false;
    target->reportSuccess(static_cast<uint32_t>(frame.messageCount()));
    return true;
}

bool FrameProcessor::visit(BasicConsumeOKFrame& frame) {
    auto target = channel(frame);
    if (!target) return false;
    target->reportSuccess(frame.consumerTag());
    return true;
}

bool FrameProcessor::visit(BasicCancelFrame& frame) {
    auto target = channel(frame);
    if (!target) return false;
    target->reportCancelled(frame.consumerTag());
    return true;
}

bool FrameProcessor::visit(BasicCancelOKFrame& frame) {
    auto target = channel(frame);
    if (!target) return false;
    target->reportSuccess(frame.consumerTag());
    return true;
}

bool FrameProcessor::visit(BasicReturnFrame& frame) {
    auto target = channel(frame);
    if (!target || !target->recalls()) return false;
    target->recalls()->process(frame);
    return true;
}

bool FrameProcessor::visit(BasicDeliverFrame& frame) {
    auto target = channel(frame);
    if (!target) return false;
    DeferredConsumer* consumer = target->consumer(frame.consumerTag());
    if (!consumer) return false;
    consumer->process(frame);
    return true;
}

bool FrameProcessor::visit(BasicGetOKFrame& frame) {
    auto target = channel(frame);
    if (!target) return false;
    Monitor monitor(target.get());
    target->reportSuccess(frame.messageCount(), frame.deliveryTag(), frame.redelivered());
    if (!monitor.valid()) return true;
    if (DeferredReceiver* receiver = target->receiver())
        receiver->initialize(frame.exchange(), frame.routingKey());
    return true;
}

bool FrameProcessor::visit(BasicAckFrame& frame) {
    auto target = channel(frame);
    if (!target || !target->confirm()) return false;
    target->confirm()->reportAck(frame.deliveryTag(), frame.multiple());
    return true;
}

bool FrameProcessor::visit(BasicNackFrame& frame) {
    auto target = channel(frame);
    if (!target || !target->confirm()) return false;
    target->confirm()->reportNack(frame.deliveryTag(), frame.multiple(), frame.requeue());
    return true;
}

} // namespace AMQP
