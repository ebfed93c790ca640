#include "amqp/deferredget.h"

#include "amqp/channelimpl.h"

namespace AMQP {

const std::shared_ptr<Deferred>& DeferredGet::reportSuccess() const {
    if (_countCallback) _countCallback(0);
    if (_emptyCallback) _emptyCallback();
    return next();
}

const std::shared_ptr<Deferred>& DeferredGet::reportSuccess(uint32_t messageCount, uint64_t deliveryTag,
                                                            bool redelivered) {
    if (auto channel = _channel.lock())
        channel->install(std::shared_ptr<DeferredReceiver>(shared_from_this()));
    _deliveryTag = deliveryTag;
    _redelivered = redelivered;
    if (_countCallback) _countCallback(messageCount);
    return next();
}

void DeferredGet::complete() {
    if (auto channel = _channel.lock()) channel->flush();
    DeferredExtReceiver::complete();
}

} // namespace AMQP
