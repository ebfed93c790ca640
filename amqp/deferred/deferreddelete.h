// The result of queue.purge and queue.delete: the number of messages removed.
#pragma once

#include <cstdint>
#include <functional>

#include "amqp/deferred/deferred.h"

namespace AMQP {

class DeferredDelete : public Deferred {
public:
    using CountCallback = std::function<void(uint32_t messageCount)>;

    explicit DeferredDelete(bool failed = false) : Deferred(failed) {}

    using Deferred::onSuccess;
    DeferredDelete& onSuccess(CountCallback callback) {
        _countCallback = std::move(callback);
        return *this;
    }

    using Deferred::reportSuccess;
    const std::shared_ptr<Deferred>& reportSuccess(uint32_t messageCount) const override {
        if (!_countCallback) return Deferred::reportSuccess();
        _countCallback(messageCount);
        return next();
    }

private:
    CountCallback _countCallback;
};

} // namespace AMQP
