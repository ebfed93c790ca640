#include "amqp/deferredreceiver.h"

#include "amqp/channelimpl.h"
#include "amqp/framing/basicheaderframe.h"
#include "amqp/framing/bodyframe.h"

namespace AMQP {

DeferredReceiver::DeferredReceiver(bool failed, ChannelImpl* channel) : Deferred(failed) {
    if (channel) _channel = channel->weak_from_this();
}

DeferredReceiver::~DeferredReceiver() = default;

void DeferredReceiver::initialize(const std::string& exchange, const std::string& routingKey) {
    _headerReceived = false;
    _bodySize = 0;
    if (_startCallback) _startCallback(exchange, routingKey);
}

void DeferredReceiver::process(BasicHeaderFrame& frame) {
    auto self = lock();
    if (_headerReceived) {
        // a message has one content header: a second one would change the
        // size of a body that is partly assembled already
        fail("unexpected content header");
        return;
    }
    _headerReceived = true;
    _bodySize = frame.bodySize();
    if (_sizeCallback) _sizeCallback(_bodySize);
    if (_message) {
        _message->setBodySize(_bodySize);
        _message->set(frame.metaData());
    }
    if (_headersCallback) _headersCallback(frame.metaData());
    if (_bodySize == 0) complete();
}

void DeferredReceiver::process(BodyFrame& frame) {
    auto self = lock();
    uint64_t size = frame.payloadSize();
    if (!_headerReceived) {
        fail("unexpected content body");
        return;
    }
    if (size > _bodySize) {
        // the count of bytes still expected would wrap and the message
        // never complete: the stream is not what the header promised
        fail("message body exceeds its announced size");
        return;
    }
    _bodySize -= size;
    if (_dataCallback) _dataCallback(frame.payload(), size);
    if (_message) _message->append(frame.payload(), size);
    if (_bodySize == 0) complete();
}

void DeferredReceiver::fail(const char* message) {
    _message.reset();
    _bodySize = 0;
    if (auto channel = _channel.lock()) channel->reportUnexpected(message);
}

} // namespace AMQP
