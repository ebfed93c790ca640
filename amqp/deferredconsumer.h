// The result of basic.consume: registers the consumer under its tag once the
// broker confirms, then receives every message delivered to it.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "amqp/deferredextreceiver.h"

namespace AMQP {

class BasicDeliverFrame;

class DeferredConsumer : public DeferredExtReceiver, public std::enable_shared_from_this<DeferredConsumer> {
public:
    DeferredConsumer(ChannelImpl* channel, bool failed = false) : DeferredExtReceiver(failed, channel) {}

    using Deferred::onSuccess;
    DeferredConsumer& onSuccess(std::function<void(const std::string& consumerTag)> callback) {
        _consumeCallback = std::move(callback);
        return *this;
    }
    // the broker cancelled the consumer
    DeferredConsumer& onCancelled(std::function<void(const std::string& consumerTag)> callback) {
        _cancelledCallback = std::move(callback);
        return *this;
    }

    using Deferred::reportSuccess;
    const std::shared_ptr<Deferred>& reportSuccess(const std::string& consumerTag) override;
    void reportCancelled(const std::string& consumerTag) {
        if (_cancelledCallback) _cancelledCallback(consumerTag);
    }

    // basic.deliver starts a message for this consumer
    void process(BasicDeliverFrame& frame);
    using DeferredReceiver::process;

    std::shared_ptr<DeferredReceiver> lock() override { return shared_from_this(); }

private:
    std::function<void(const std::string&)> _consumeCallback;
    std::function<void(const std::string&)> _cancelledCallback;
};

} // namespace AMQP
