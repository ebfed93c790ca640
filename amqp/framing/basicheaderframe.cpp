#include "amqp/framing/basicheaderframe.h"

#include "amqp/buffers/outbuffer.h"
#include "amqp/framing/receivedframe.h"
#include "amqp/values/envelope.h"

namespace AMQP {

namespace {

// the weight (2) and the body size (8) before the properties
constexpr uint64_t fixedSize = 10;

uint64_t readBodySize(ReceivedFrame& frame) {
    frame.nextUint16(); // the weight, always 0
    return frame.nextUint64();
}

} // namespace

BasicHeaderFrame::BasicHeaderFrame(uint16_t channel, const MetaData& metaData, uint64_t bodySize)
    : HeaderFrame(channel, fixedSize + metaData.size()), _bodySize(bodySize), _metaData(metaData) {}

BasicHeaderFrame::BasicHeaderFrame(uint16_t channel, const Envelope& envelope)
    : BasicHeaderFrame(channel, envelope, envelope.bodySize()) {}

BasicHeaderFrame::BasicHeaderFrame(ReceivedFrame& frame)
    : HeaderFrame(frame), _bodySize(readBodySize(frame)), _metaData(frame) {}

void BasicHeaderFrame::fill(OutBuffer& buffer) const {
    HeaderFrame::fill(buffer);
    buffer.add(uint16_t(0));
    buffer.add(_bodySize);
    _metaData.fill(buffer);
}

} // namespace AMQP
