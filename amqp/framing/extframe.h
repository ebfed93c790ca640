// A frame with the common 7-byte header: type, channel and payload size.
#pragma once

#include <cstdint>

#include "amqp/framing/frame.h"

namespace AMQP {

class ReceivedFrame;

class ExtFrame : public Frame {
public:
    uint32_t totalSize() const override { return _payloadSize + headerSize() + trailerSize(); }

    // writes the header: type, channel, payload size
    void fill(OutBuffer& buffer) const override;

    bool process(ConnectionImpl* connection) override;

    // the frame type octet
    virtual uint8_t type() const = 0;

    uint16_t channel() const { return _channel; }
    uint32_t payloadSize() const { return _payloadSize; }
    static constexpr uint32_t headerSize() { return 7; }
    static constexpr uint32_t trailerSize() { return 1; }

    // the largest payload whose frame size still fits the 32-bit total
    static constexpr uint32_t maxPayloadSize() { return UINT32_MAX - headerSize() - trailerSize(); }

protected:
    // throws std::runtime_error when payloadSize exceeds maxPayloadSize()
    ExtFrame(uint16_t channel, uint64_t payloadSize);

    // channel and payload size as the received header gave them
    explicit ExtFrame(const ReceivedFrame& frame);

private:
    uint16_t _channel;
    uint32_t _payloadSize;
};

} // namespace AMQP
