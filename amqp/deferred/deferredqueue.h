// The result of queue.declare: the queue's name and counts when the caller
// asks for them, else a plain success.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "amqp/deferred/deferred.h"

namespace AMQP {

class DeferredQueue : public Deferred {
public:
    using QueueCallback =
        std::function<void(const std::string& name, uint32_t messageCount, uint32_t consumerCount)>;

    explicit DeferredQueue(bool failed = false) : Deferred(failed) {}

    using Deferred::onSuccess;
    DeferredQueue& onSuccess(QueueCallback callback) {
        _queueCallback = std::move(callback);
        return *this;
    }

    using Deferred::reportSuccess;
    const std::shared_ptr<Deferred>& reportSuccess(const std::string& name, uint32_t messageCount,
                                                   uint32_t consumerCount) const override {
        if (!_queueCallback) return Deferred::reportSuccess();
        _queueCallback(name, messageCount, consumerCount);
        return next();
    }

private:
    QueueCallback _queueCallback;
};

} // namespace AMQP
