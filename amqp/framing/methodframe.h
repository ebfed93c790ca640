// A method frame (type 1): class id and method id before the arguments that
// the concrete frame writes.
#pragma once

#include <cstdint>

#include "amqp/framing/extframe.h"

namespace AMQP {

class MethodFrame : public ExtFrame {
public:
    // the header, class id and method id; concrete frames add their arguments
    void fill(OutBuffer& buffer) const override;

    bool synchronous() const override { return true; }
    uint8_t type() const override { return 1; }
    bool process(ConnectionImpl* connection) override;

    virtual uint16_t classID() const = 0;
    virtual uint16_t methodID() const = 0;

protected:
    // the payload is the arguments plus 4 bytes for the two ids
    MethodFrame(uint16_t channel, uint64_t argumentSize) : ExtFrame(channel, argumentSize + 4) {}
    explicit MethodFrame(const ReceivedFrame& frame) : ExtFrame(frame) {}
};

} // namespace AMQP
