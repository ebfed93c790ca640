// The content header of a basic-class message: body size and properties,
// sent after basic.publish and received after deliver, get-ok and return.
#pragma once

#include <cstdint>

#include "amqp/framing/headerframe.h"
#include "amqp/values/metadata.h"

namespace AMQP {

class Envelope;

class BasicHeaderFrame : public HeaderFrame {
public:
    BasicHeaderFrame(uint16_t channel, const MetaData& metaData, uint64_t bodySize);
    BasicHeaderFrame(uint16_t channel, const Envelope& envelope);

    // reads weight, body size and properties; the class id has been read
    explicit BasicHeaderFrame(ReceivedFrame& frame);

    uint16_t classID() const override { return 60; }
    void fill(OutBuffer& buffer) const override;

    uint64_t bodySize() const { return _bodySize; }
    const MetaData& metaData() const { return _metaData; }

private:
    uint64_t _bodySize;
    MetaData _metaData;
};

} // namespace AMQP
