// A content body frame (type 3): a slice of a message body, never copied: it
// points into the caller's bytes when sent and into the receive buffer when
// received.
#pragma once

#include <cstdint>

#include "amqp/framing/extframe.h"

namespace AMQP {

class BodyFrame : public ExtFrame {
public:
    // the bytes must outlive the frame
    BodyFrame(uint16_t channel, const char* data, uint32_t size) : ExtFrame(channel, size), _payload(data) {}

    // points at the payload inside the received bytes
    explicit BodyFrame(ReceivedFrame& frame);

    uint8_t type() const override { return 3; }
    void fill(OutBuffer& buffer) const override;

    const char* payload() const { return _payload; }

private:
    const char* _payload;
};

} // namespace AMQP
