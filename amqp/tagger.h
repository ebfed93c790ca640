// Puts a channel into publisher-confirm mode and numbers its publications
// with the broker's delivery tags; closes the channel only once nothing is
// outstanding.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string_view>

#include "amqp/watchable.h"

namespace AMQP {

class Channel;
class ChannelImpl;
class Deferred;
class Envelope;

class Tagger : public Watchable {
public:
    // throws std::runtime_error when confirm mode cannot be requested
    explicit Tagger(Channel& channel);
    Tagger(const Tagger&) = delete;
    Tagger& operator=(const Tagger&) = delete;
    ~Tagger() override;

    // the delivery tag of the message, 0 when it was not handed to the
    // channel in full
    uint64_t publish(std::string_view exchange, std::string_view routingKey, const Envelope& envelope,
                     int flags = 0);

    // closes the channel as soon as nothing is outstanding; the result
    // succeeds on the broker's close-ok
    Deferred& close();

    // the user's error callback for the channel
    void onError(std::function<void(const char*)> callback);

    // publications still waiting for the broker's verdict
    virtual size_t unacknowledged() const { return 0; }

protected:
    // the channel failed; heard again from within itself when one of its
    // callbacks ends the connection, which then reports what is left
    virtual void reportError(const char* message);
    // the channel closed in order: no ack or nack will come now
    virtual void reportClosed(const char* message);
    virtual void onAck(uint64_t deliveryTag, bool multiple);
    virtual void onNack(uint64_t deliveryTag, bool multiple);

    std::shared_ptr<ChannelImpl> _implementation;

private:
    // closes the channel once a close is asked for and nothing is outstanding
    void closeWhenSettled();
    // whether the broker's ack or nack names messages this channel published
    // and wrote: one still held back (behind the channel's open, its
    // confirm.select or the connection's handshake) is unknown to the broker
    bool published(uint64_t deliveryTag) const;
    // An ack or nack (method id of class basic) of a tag never published:
    // what the broker meant is unknown, and the confirms still awaited may
    // never come. The channel fails with 406 PRECONDITION_FAILED, as a broker
    // answers an unknown delivery tag.
    void refuse(const char* method, uint16_t methodId, uint64_t deliveryTag);

    uint64_t _current = 1;
    std::shared_ptr<Deferred> _close;
    // the channel's close went out: later acks must not close it again
    bool _closeSent = false;
    std::function<void(const char*)> _errorCallback;
    // the user's error callback heard the channel's end
    bool _errorReported = false;
};

} // namespace AMQP
