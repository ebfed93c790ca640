#include "amqp/tagger.h"

#include <stdexcept>
#include <string>

#include "amqp/channel.h"
#include "amqp/channelimpl.h"
#include "amqp/deferred/deferred.h"
#include "amqp/deferred/deferredconfirm.h"
#include "amqp/monitor.h"

namespace AMQP {

Tagger::Tagger(Channel& channel) : _implementation(channel.implementation()) {
    DeferredConfirm& confirm = _implementation->confirmSelect();
    // checked before the callbacks are installed: they point at this object,
    // which a throwing constructor never finishes
    if (!confirm) throw std::runtime_error("could not enable publisher confirms");
    confirm.onAck([this](uint64_t deliveryTag, bool multiple) {
        if (!published(deliveryTag)) return refuse("basic.ack", 80, deliveryTag);
        onAck(deliveryTag, multiple);
    });
    confirm.onNack([this](uint64_t deliveryTag, bool multiple, bool) {
        if (!published(deliveryTag)) return refuse("basic.nack", 120, deliveryTag);
        onNack(deliveryTag, multiple);
    });
    _errorCallback = _implementation->onError();
    _implementation->onError([this](const char* message) { reportError(message); }, true);
    _implementation->onClosed([this](const char* message) { reportClosed(message); });
}

Tagger::~Tagger() {
    _implementation->onError(nullptr);
    _implementation->onClosed(nullptr);
    if (DeferredConfirm* confirm = _implementation->confirm()) {
        confirm->onAck(nullptr);
        confirm->onNack(nullptr);
    }
}

uint64_t Tagger::publish(std::string_view exchange, std::string_view routingKey, const Envelope& envelope,
                         int flags) {
    if (_close) return 0;
    Monitor monitor(this);
    if (!_implementation->publish(exchange, routingKey, envelope, flags) || !monitor.valid()) return 0;
    return _current++;
}

Deferred& Tagger::close() {
    if (_close) return *_close;
    _close = std::make_shared<Deferred>(!_implementation->usable());
    closeWhenSettled();
    return *_close;
}

void Tagger::closeWhenSettled() {
    if (!_close || _closeSent || unacknowledged() != 0) return;
    _closeSent = true;
    // the close result keeps itself alive through these callbacks
    std::shared_ptr<Deferred> result = _close;
    _implementation->close()
        .onSuccess([result] { result->reportSuccess(); })
        .onError([result](const char* message) { result->reportError(message); });
}

bool Tagger::published(uint64_t deliveryTag) const {
    return deliveryTag != 0 && deliveryTag < _current && deliveryTag <= _implementation->written();
}

void Tagger::refuse(const char* method, uint16_t methodId, uint64_t deliveryTag) {
    std::string message = std::string(method) + " of delivery tag " + std::to_string(deliveryTag) +
                          ", which was never published";
    // basic is class 60; 406 PRECONDITION_FAILED
    _implementation->reportUnexpected(message.c_str(), 406, 60, methodId);
}

void Tagger::onAck(uint64_t, bool) {
    closeWhenSettled();
}

void Tagger::onNack(uint64_t, bool) {
    closeWhenSettled();
}

void Tagger::reportError(const char* message) {
    _current = 1;
    Monitor monitor(this);
    // Heard again, nested, when a callback of this report ended the
    // connection: each step runs once, whichever report gets to it.
    if (_errorCallback && !_errorReported) {
        _errorReported = true;
        auto callback = _errorCallback;
        callback(message);
        if (!monitor.valid()) return;
    }
    // a close still waiting for outstanding publications will never be
    // sent now: it fails with the channel's error instead of hanging
    if (!_close || _closeSent) return;
    _closeSent = true;
    _close->reportError(message);
}

void Tagger::reportClosed(const char*) {
    // A close still waiting for outstanding publications has nothing left
    // to wait for: the channel is closed already.
    if (!_close || _closeSent) return;
    _closeSent = true;
    _close->reportSuccess();
}

void Tagger::onError(std::function<void(const char*)> callback) {
    _errorCallback = std::move(callback);
    if (!_errorCallback) return;
    auto report = _errorCallback;
    if (!_implementation->usable())
        report("Channel is no longer usable");
    else if (_close)
        report("Wrapped channel is closing down");
}

} // namespace AMQP
