#include "amqp/deferredextreceiver.h"

#include "amqp/channelimpl.h"

namespace AMQP {

void DeferredExtReceiver::initialize(const std::string& exchange, const std::string& routingKey) {
    DeferredReceiver::initialize(exchange, routingKey);
    if (_messageCallback) _message.construct(exchange, routingKey);
}

void DeferredExtReceiver::complete() {
    if (_message && _messageCallback) _messageCallback(*_message, _deliveryTag, _redelivered);
    if (_deliveredCallback) _deliveredCallback(_deliveryTag, _redelivered);
    _message.reset();
    if (auto channel = _channel.lock()) channel->install(std::shared_ptr<DeferredReceiver>());
}

} // namespace AMQP
