#include "amqp/channel.h"

#include <stdexcept>

#include "amqp/channelimpl.h"
#include "amqp/connection.h"

namespace AMQP {

Channel::Channel(Connection* connection) : _implementation(std::make_shared<ChannelImpl>()) {
    if (!connection->usable()) throw std::runtime_error("failed to open channel: connection is not active");
    if (!_implementation->attach(connection))
        throw std::runtime_error("failed to open channel: max number of channels has been reached");
}

Channel::~Channel() {
    if (_implementation) _implementation->close();
}

Deferred& Channel::declareExchange(std::string_view name, ExchangeType type, int flags,
                                   const Table& arguments) {
    return _implementation->declareExchange(name, type, flags, arguments);
}

Deferred& Channel::bindExchange(std::string_view source, std::string_view target, std::string_view routingKey,
                                const Table& arguments) {
    return _implementation->bindExchange(source, target, routingKey, arguments);
}

Deferred& Channel::unbindExchange(std::string_view source, std::string_view target,
                                  std::string_view routingKey, const Table& arguments) {
    return _implementation->unbindExchange(source, target, routingKey, arguments);
}

Deferred& Channel::removeExchange(std::string_view name, int flags) {
    return _implementation->removeExchange(name, flags);
}

DeferredQueue& Channel::declareQueue(std::string_view name, int flags, const Table& arguments) {
    return _implementation->declareQueue(name, flags, arguments);
}

Deferred& Channel::bindQueue(std::string_view exchange, std::string_view queue, std::string_view routingKey,
                             const Table& arguments) {
    return _implementation->bindQueue(exchange, queue, routingKey, arguments);
}

Deferred& Channel::unbindQueue(std::string_view exchange, std::string_view queue, std::string_view routingKey,
                               const Table& arguments) {
    return _implementation->unbindQueue(exchange, queue, routingKey, arguments);
}

DeferredDelete& Channel::purgeQueue(std::string_view name) {
    return _implementation->purgeQueue(name);
}

DeferredDelete& Channel::removeQueue(std::string_view name, int flags) {
    return _implementation->removeQueue(name, flags);
}

Deferred& Channel::setQos(uint16_t prefetchCount, bool global) {
    return _implementation->setQos(prefetchCount, global);
}

DeferredConsumer& Channel::consume(std::string_view queue, std::string_view tag, int flags,
                                   const Table& arguments) {
    return _implementation->consume(queue, tag, flags, arguments);
}

DeferredCancel& Channel::cancel(std::string_view tag) {
    return _implementation->cancel(tag);
}

DeferredGet& Channel::get(std::string_view queue, int flags) {
    return _implementation->get(queue, flags);
}

Deferred& Channel::recover(int flags) {
    return _implementation->recover(flags);
}

Deferred& Channel::pause() {
    return _implementation->pause();
}

Deferred& Channel::resume() {
    return _implementation->resume();
}

Deferred& Channel::startTransaction() {
    return _implementation->startTransaction();
}

Deferred& Channel::commitTransaction() {
    return _implementation->commitTransaction();
}

Deferred& Channel::rollbackTransaction() {
    return _implementation->rollbackTransaction();
}

DeferredConfirm& Channel::confirmSelect() {
    return _implementation->confirmSelect();
}

Deferred& Channel::close() {
    return _implementation->close();
}

bool Channel::ack(uint64_t deliveryTag, int flags) {
    return _implementation->ack(deliveryTag, flags);
}

bool Channel::reject(uint64_t deliveryTag, int flags) {
    return _implementation->reject(deliveryTag, flags);
}

bool Channel::publish(std::string_view exchange, std::string_view routingKey, const Envelope& envelope,
                      int flags) {
    return _implementation->publish(exchange, routingKey, envelope, flags);
}

DeferredRecall& Channel::recall() {
    return _implementation->recall();
}

void Channel::onReady(std::function<void()> callback) {
    _implementation->onReady(std::move(callback));
}

void Channel::onError(std::function<void(const char*)> callback) {
    _implementation->onError(std::move(callback));
}

bool Channel::usable() const {
    return _implementation->usable();
}

uint16_t Channel::id() const {
    return _implementation->id();
}

} // namespace AMQP
