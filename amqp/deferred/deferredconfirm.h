// The result of confirm.select; afterwards it receives the broker's acks and
// nacks of every publication on the channel.
#pragma once

#include <cstdint>
#include <functional>

#include "amqp/deferred/deferred.h"

namespace AMQP {

class DeferredConfirm : public Deferred {
public:
    explicit DeferredConfirm(bool failed = false) : Deferred(failed) {}

    DeferredConfirm& onAck(std::function<void(uint64_t deliveryTag, bool multiple)> callback) {
        _ackCallback = std::move(callback);
        return *this;
    }
    DeferredConfirm& onNack(std::function<void(uint64_t deliveryTag, bool multiple, bool requeue)> callback) {
        _nackCallback = std::move(callback);
        return *this;
    }

    // a basic.ack from the broker
    void reportAck(uint64_t deliveryTag, bool multiple) const {
        if (_ackCallback) _ackCallback(deliveryTag, multiple);
    }
    // a basic.nack from the broker
    void reportNack(uint64_t deliveryTag, bool multiple, bool requeue) const {
        if (_nackCallback) _nackCallback(deliveryTag, multiple, requeue);
    }

private:
    std::function<void(uint64_t, bool)> _ackCallback;
    std::function<void(uint64_t, bool, bool)> _nackCallback;
};

} // namespace AMQP
