#include "amqp/deferredconsumer.h"

#include "amqp/channelimpl.h"
#include "amqp/frames/basicframe.h"

namespace AMQP {

const std::shared_ptr<Deferred>& DeferredConsumer::reportSuccess(const std::string& consumerTag) {
    if (auto channel = _channel.lock()) channel->install(consumerTag, shared_from_this());
    if (!_consumeCallback) return Deferred::reportSuccess();
    _consumeCallback(consumerTag);
    return next();
}

void DeferredConsumer::process(BasicDeliverFrame& frame) {
    if (auto channel = _channel.lock())
        channel->install(std::shared_ptr<DeferredReceiver>(shared_from_this()));
    _deliveryTag = frame.deliveryTag();
    _redelivered = frame.redelivered();
    initialize(frame.exchange(), frame.routingKey());
}

} // namespace AMQP
