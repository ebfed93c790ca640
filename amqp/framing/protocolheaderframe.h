// The 8 bytes that open every connection: "AMQP", a NUL, and protocol
// version 0-9-1. No frame header, no end marker.
#pragma once

#include <cstdint>

#include "amqp/framing/frame.h"

namespace AMQP {

class ProtocolHeaderFrame : public Frame {
public:
    ProtocolHeaderFrame() = default;

    uint32_t totalSize() const override { return 8; }
    void fill(OutBuffer& buffer) const override;
    bool partOfHandshake() const override { return true; }
    bool needsSeparator() const override { return false; }

private:
    // written with its terminating NUL
    const char* _protocol = "AMQP";
    uint8_t _major = 0;
    uint8_t _minor = 9;
    uint8_t _revision = 1;
};

} // namespace AMQP
