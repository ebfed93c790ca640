// The frames of one message to publish: basic.publish, the content header
// and the body cut into frames of at most the connection's payload. Built
// only when all of them can go out, so a publish is never sent without the
// frames the broker expects after it.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string_view>

namespace AMQP {

class BasicHeaderFrame;
class BasicPublishFrame;
class Envelope;
class Frame;

class Publication {
public:
    // maxFrame: the connection's frame limit (0: none)
    Publication(uint16_t channel, std::string_view exchange, std::string_view routingKey,
                const Envelope& envelope, int flags, uint32_t maxFrame);
    Publication(const Publication&) = delete;
    Publication& operator=(const Publication&) = delete;
    ~Publication();

    // names of at most 255 bytes and a content header within the limit
    bool valid() const { return _method && _header; }

    const Frame& method() const;
    const Frame& header() const;
    bool hasBody() const { return _size != 0; }

    // hands the body frames to send, in order; false at the first refusal
    bool sendBody(const std::function<bool(const Frame&)>& send) const;

private:
    uint16_t _channel;
    std::unique_ptr<BasicPublishFrame> _method;
    std::unique_ptr<BasicHeaderFrame> _header;
    const char* _body;
    uint64_t _size;
    uint32_t _maxPayload;
};

} // namespace AMQP
