// Receives the messages the broker returns as unroutable (basic.return) on a
// channel, with the broker's reply code and text.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "amqp/deferredreceiver.h"

namespace AMQP {

class BasicReturnFrame;

class DeferredRecall : public DeferredReceiver, public std::enable_shared_from_this<DeferredRecall> {
public:
    explicit DeferredRecall(ChannelImpl* channel, bool failed = false) : DeferredReceiver(failed, channel) {}

    DeferredRecall&
    onReturned(std::function<void(const Message& message, int16_t replyCode, const std::string& replyText)>
                   callback) {
        _returnedCallback = std::move(callback);
        return *this;
    }
    DeferredRecall&
    onReturnStart(std::function<void(int16_t replyCode, const std::string& replyText)> callback) {
        _returnStartCallback = std::move(callback);
        return *this;
    }
    DeferredRecall& onComplete(std::function<void()> callback) {
        _completeCallback = std::move(callback);
        return *this;
    }

    // basic.return starts a returned message
    void process(BasicReturnFrame& frame);
    using DeferredReceiver::process;

    void complete() override;
    std::shared_ptr<DeferredReceiver> lock() override { return shared_from_this(); }

private:
    int16_t _replyCode = 0;
    std::string _replyText;
    std::function<void(const Message&, int16_t, const std::string&)> _returnedCallback;
    std::function<void(int16_t, const std::string&)> _returnStartCallback;
    std::function<void()> _completeCallback;
};

} // namespace AMQP
