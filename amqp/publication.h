// One message to publish: basic.publish, the content header and the body.
// The body is cut into frames only when it goes out, with the frame size in
// force then, so a publication that waits for the handshake or for a reply
// is measured against the size the broker granted, not the one the
// connection starts with.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string_view>

#include "amqp/buffers/outpiece.h"

namespace AMQP {

class BasicHeaderFrame;
class BasicPublishFrame;
class BodyFrame;
class Envelope;
class Frame;

class Publication {
public:
    Publication(uint16_t channel, std::string_view exchange, std::string_view routingKey,
                const Envelope& envelope, int flags);
    Publication(Publication&&) noexcept;
    Publication& operator=(Publication&&) noexcept;
    ~Publication();

    // names of at most 255 bytes and properties that can be encoded
    bool valid() const { return _method && _header; }
    // the content header fits a frame of maxFrame bytes (0: no limit)
    bool fits(uint32_t maxFrame) const;

    // for a publication that has to wait: a body that nobody keeps alive is
    // copied, once, into storage the publication keeps
    void hold();

    const Frame& method() const;
    const Frame& header() const;
    bool hasBody() const { return _size != 0; }

    // hands the body frames for a frame limit of maxFrame to send, in
    // order, with the keeper of their payload (empty: valid during the call
    // only); false at the first refusal
    bool sendBody(uint32_t maxFrame,
                  const std::function<bool(const BodyFrame& frame, const Keeper& keeper)>& send) const;

private:
    uint16_t _channel;
    std::unique_ptr<BasicPublishFrame> _method;
    std::unique_ptr<BasicHeaderFrame> _header;
    const char* _body;
    uint64_t _size;
    Keeper _keeper;
};

} // namespace AMQP
