// The result of basic.cancel: the consumer leaves its channel when the broker
// confirms.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "amqp/deferred/deferred.h"

namespace AMQP {

class ChannelImpl;

class DeferredCancel : public Deferred {
public:
    DeferredCancel(ChannelImpl* channel, bool failed = false);

    using Deferred::onSuccess;
    DeferredCancel& onSuccess(std::function<void(const std::string& consumerTag)> callback) {
        _cancelCallback = std::move(callback);
        return *this;
    }

    using Deferred::reportSuccess;
    const std::shared_ptr<Deferred>& reportSuccess(const std::string& consumerTag) override;

private:
    std::weak_ptr<ChannelImpl> _channel;
    std::function<void(const std::string&)> _cancelCallback;
};

} // namespace AMQP
