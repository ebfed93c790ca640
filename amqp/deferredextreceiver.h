// A receiver of delivered or fetched messages: adds the delivery tag, the
// redelivered flag, and the message and delivered callbacks.
#pragma once

#include <cstdint>
#include <functional>

#include "amqp/deferredreceiver.h"

namespace AMQP {

class DeferredExtReceiver : public DeferredReceiver {
public:
    DeferredExtReceiver(bool failed, ChannelImpl* channel) : DeferredReceiver(failed, channel) {}

    // also starts collecting the body, when someone wants the message
    void initialize(const std::string& exchange, const std::string& routingKey) override;
    void complete() override;

    DeferredExtReceiver&
    onMessage(std::function<void(const Message& message, uint64_t deliveryTag, bool redelivered)> callback) {
        _messageCallback = std::move(callback);
        return *this;
    }
    DeferredExtReceiver& onDelivered(std::function<void(uint64_t deliveryTag, bool redelivered)> callback) {
        _deliveredCallback = std::move(callback);
        return *this;
    }

protected:
    uint64_t _deliveryTag = 0;
    bool _redelivered = false;
    std::function<void(const Message&, uint64_t, bool)> _messageCallback;
    std::function<void(uint64_t, bool)> _deliveredCallback;
};

} // namespace AMQP
