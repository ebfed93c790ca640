// A heartbeat (type 8, channel 0, no payload): proof of life in either
// direction.
#pragma once

#include <cstdint>

#include "amqp/framing/extframe.h"

namespace AMQP {

class HeartbeatFrame : public ExtFrame {
public:
    HeartbeatFrame() : ExtFrame(0, 0) {}

    // received as type 8 or the older type 4
    explicit HeartbeatFrame(const ReceivedFrame& frame) : ExtFrame(frame) {}

    uint8_t type() const override { return 8; }
};

} // namespace AMQP
