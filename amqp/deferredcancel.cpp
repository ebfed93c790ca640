#include "amqp/deferredcancel.h"

#include "amqp/channelimpl.h"

namespace AMQP {

DeferredCancel::DeferredCancel(ChannelImpl* channel, bool failed) : Deferred(failed) {
    if (channel) _channel = channel->weak_from_this();
}

const std::shared_ptr<Deferred>& DeferredCancel::reportSuccess(const std::string& consumerTag) {
    if (auto channel = _channel.lock()) channel->uninstall(consumerTag);
    if (!_cancelCallback) return Deferred::reportSuccess();
    _cancelCallback(consumerTag);
    return next();
}

} // namespace AMQP
