// Base of the results that receive a message frame by frame: the start,
// size, headers and data callbacks, and the message under construction.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "amqp/deferred/deferred.h"
#include "amqp/stackptr.h"
#include "amqp/values/message.h"

namespace AMQP {

class BasicHeaderFrame;
class BodyFrame;
class ChannelImpl;
class MetaData;

class DeferredReceiver : public Deferred {
public:
    DeferredReceiver(bool failed, ChannelImpl* channel);
    ~DeferredReceiver() override;

    // the method frame that starts a message named its exchange and key
    virtual void initialize(const std::string& exchange, const std::string& routingKey);
    // a share of this object that keeps it alive while it processes a frame
    virtual std::shared_ptr<DeferredReceiver> lock() = 0;
    // the whole body has arrived
    virtual void complete() = 0;

    void process(BasicHeaderFrame& frame);
    // a body frame carrying more than the header announced puts the channel
    // in error
    void process(BodyFrame& frame);

    DeferredReceiver&
    onStart(std::function<void(const std::string& exchange, const std::string& routingKey)> callback) {
        _startCallback = std::move(callback);
        return *this;
    }
    DeferredReceiver& onSize(std::function<void(uint64_t bodySize)> callback) {
        _sizeCallback = std::move(callback);
        return *this;
    }
    DeferredReceiver& onHeaders(std::function<void(const MetaData& metaData)> callback) {
        _headersCallback = std::move(callback);
        return *this;
    }
    DeferredReceiver& onData(std::function<void(const char* data, size_t size)> callback) {
        _dataCallback = std::move(callback);
        return *this;
    }

protected:
    // the message breaks the protocol: the channel goes into error
    void fail(const char* message);

    // the current message's content header has arrived
    bool _headerReceived = false;
    // the body bytes still expected
    uint64_t _bodySize = 0;
    std::weak_ptr<ChannelImpl> _channel;
    std::function<void(const std::string&, const std::string&)> _startCallback;
    std::function<void(uint64_t)> _sizeCallback;
    std::function<void(const MetaData&)> _headersCallback;
    std::function<void(const char*, size_t)> _dataCallback;
    stack_ptr<Message> _message;
};

} // namespace AMQP
