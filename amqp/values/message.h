// An incoming message: an envelope with its exchange and routing key that
// assembles its body from the body frames after the content header.
#pragma once

#include <cstdint>
#include <string>

#include "amqp/values/envelope.h"

namespace AMQP {

class Message : public Envelope {
public:
    // The largest body accepted from a peer. The size comes from received
    // bytes, so it is checked first; brokers refuse far smaller messages
    // anyway. Memory is not taken for the announced size at once but grows
    // with the bytes that actually arrive: a peer that announces a huge body
    // and sends little of it costs little.
    static constexpr uint64_t maxBodySize = uint64_t(1) << 32;

    Message(std::string exchange, std::string routingKey);
    ~Message() override;

    // it owns its assembled body
    Message(const Message&) = delete;
    Message& operator=(const Message&) = delete;

    const std::string& exchange() const { return _exchange; }
    const std::string& routingKey() const { return _routingKey; }

    // the size announced by the content header; throws ProtocolException
    // "message is too big for this system" beyond maxBodySize
    void setBodySize(uint64_t size);

    // adds the payload of one body frame; true once the whole body is there.
    // A body that arrives in one frame is not copied: body() then points into
    // that frame and is valid only while the frame is processed. A body over
    // several frames is copied; body() is final once it is complete.
    bool append(const char* buffer, uint64_t size);

private:
    // room for at least `needed` bytes, never more than the announced size
    void reserve(uint64_t needed);

    char* _allocated = nullptr;
    uint64_t _capacity = 0;
    std::string _exchange;
    std::string _routingKey;
    uint64_t _received = 0;
};

} // namespace AMQP
