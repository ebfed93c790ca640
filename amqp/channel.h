// The user's handle of one channel: forwards every operation to the channel
// implementation, which the connection shares until the broker's reply.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string_view>

#include "amqp/exchangetype.h"
#include "amqp/flags.h"
#include "amqp/values/table.h"

namespace AMQP {

class ChannelImpl;
class Connection;
class Deferred;
class DeferredCancel;
class DeferredConfirm;
class DeferredConsumer;
class DeferredDelete;
class DeferredGet;
class DeferredQueue;
class DeferredRecall;
class Envelope;

class Channel {
public:
    // throws std::runtime_error when the connection is not usable or has no
    // free channel number
    explicit Channel(Connection* connection);
    Channel(const Channel&) = delete;
    Channel& operator=(const Channel&) = delete;
    // closes the channel; the connection keeps it until the broker replies
    virtual ~Channel();

    Deferred& declareExchange(std::string_view name, ExchangeType type = fanout, int flags = 0,
                              const Table& arguments = Table());
    Deferred& bindExchange(std::string_view source, std::string_view target, std::string_view routingKey,
                           const Table& arguments = Table());
    Deferred& unbindExchange(std::string_view source, std::string_view target, std::string_view routingKey,
                             const Table& arguments = Table());
    Deferred& removeExchange(std::string_view name, int flags = 0);
    DeferredQueue& declareQueue(std::string_view name, int flags = 0, const Table& arguments = Table());
    Deferred& bindQueue(std::string_view exchange, std::string_view queue, std::string_view routingKey,
                        const Table& arguments = Table());
    Deferred& unbindQueue(std::string_view exchange, std::string_view queue, std::string_view routingKey,
                          const Table& arguments = Table());
    DeferredDelete& purgeQueue(std::string_view name);
    DeferredDelete& removeQueue(std::string_view name, int flags = 0);
    Deferred& setQos(uint16_t prefetchCount, bool global = false);
    DeferredConsumer& consume(std::string_view queue, std::string_view tag = {}, int flags = 0,
                              const Table& arguments = Table());
    DeferredCancel& cancel(std::string_view tag);
    DeferredGet& get(std::string_view queue, int flags = 0);
    Deferred& recover(int flags = 0);
    Deferred& pause();
    Deferred& resume();
    Deferred& startTransaction();
    Deferred& commitTransaction();
    Deferred& rollbackTransaction();
    DeferredConfirm& confirmSelect();
    Deferred& close();
    bool ack(uint64_t deliveryTag, int flags = 0);
    bool reject(uint64_t deliveryTag, int flags = 0);
    bool publish(std::string_view exchange, std::string_view routingKey, const Envelope& envelope,
                 int flags = 0);
    DeferredRecall& recall();

    void onReady(std::function<void()> callback);
    void onError(std::function<void(const char*)> callback);

    bool usable() const;
    uint16_t id() const;

    const std::shared_ptr<ChannelImpl>& implementation() const { return _implementation; }

private:
    std::shared_ptr<ChannelImpl> _implementation;
};

} // namespace AMQP
