// A content header frame (type 2): the class id before what the concrete
// class writes.
#pragma once

#include <cstdint>

#include "amqp/framing/extframe.h"

namespace AMQP {

class HeaderFrame : public ExtFrame {
public:
    // the header and the class id
    void fill(OutBuffer& buffer) const override;

    uint8_t type() const override { return 2; }

    virtual uint16_t classID() const = 0;

protected:
    // the payload is the given size plus 2 bytes for the class id
    HeaderFrame(uint16_t channel, uint64_t size) : ExtFrame(channel, size + 2) {}
    explicit HeaderFrame(const ReceivedFrame& frame) : ExtFrame(frame) {}
};

} // namespace AMQP
