// The result of basic.get: the message count and the one message fetched, or
// the news that the queue was empty.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>

#include "amqp/deferredextreceiver.h"

namespace AMQP {

class DeferredGet : public DeferredExtReceiver, public std::enable_shared_from_this<DeferredGet> {
public:
    DeferredGet(ChannelImpl* channel, bool failed = false) : DeferredExtReceiver(failed, channel) {}

    DeferredGet& onEmpty(std::function<void()> callback) {
        _emptyCallback = std::move(callback);
        return *this;
    }
    DeferredGet& onCount(std::function<void(uint32_t messageCount)> callback) {
        _countCallback = std::move(callback);
        return *this;
    }

    using Deferred::reportSuccess;
    // basic.get-empty
    const std::shared_ptr<Deferred>& reportSuccess() const override;
    // basic.get-ok: the message follows
    const std::shared_ptr<Deferred>& reportSuccess(uint32_t messageCount, uint64_t deliveryTag,
                                                   bool redelivered) override;

    // sends what the channel held behind the request, then as any receiver
    void complete() override;

    std::shared_ptr<DeferredReceiver> lock() override { return shared_from_this(); }

private:
    std::function<void()> _emptyCallback;
    std::function<void(uint32_t)> _countCallback;
};

} // namespace AMQP
