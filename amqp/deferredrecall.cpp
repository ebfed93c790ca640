#include "amqp/deferredrecall.h"

#include "amqp/channelimpl.h"
#include "amqp/frames/basicframe.h"

namespace AMQP {

void DeferredRecall::process(BasicReturnFrame& frame) {
    if (auto channel = _channel.lock())
        channel->install(std::shared_ptr<DeferredReceiver>(shared_from_this()));
    _replyCode = frame.replyCode();
    _replyText = frame.replyText();
    if (_returnStartCallback) _returnStartCallback(_replyCode, _replyText);
    initialize(frame.exchange(), frame.routingKey());
    if (_returnedCallback) _message.construct(frame.exchange(), frame.routingKey());
}

void DeferredRecall::complete() {
    if (_message && _returnedCallback) _returnedCallback(*_message, _replyCode, _replyText);
    if (_completeCallback) _completeCallback();
    _message.reset();
    _replyText.clear();
    if (auto channel = _channel.lock()) channel->install(std::shared_ptr<DeferredReceiver>());
}

} // namespace AMQP
