#include "amqp/framing/extframe.h"

#include <stdexcept>
#include <string>

#include "amqp/buffers/outbuffer.h"
#include "amqp/buffers/protocolexception.h"
#include "amqp/framing/receivedframe.h"

namespace AMQP {

namespace {

uint32_t checkedPayload(uint64_t payloadSize) {
    // a larger payload would wrap the frame's 32-bit size and desynchronise
    // the stream
    if (payloadSize > ExtFrame::maxPayloadSize()) throw std::runtime_error("frame payload too large");
    return static_cast<uint32_t>(payloadSize);
}

} // namespace

ExtFrame::ExtFrame(uint16_t channel, uint64_t payloadSize)
    : _channel(channel), _payloadSize(checkedPayload(payloadSize)) {}

ExtFrame::ExtFrame(const ReceivedFrame& frame)
    : _channel(frame.channel()), _payloadSize(frame.payloadSize()) {}

void ExtFrame::fill(OutBuffer& buffer) const {
    buffer.add(type());
    buffer.add(_channel);
    buffer.add(_payloadSize);
}

bool ExtFrame::process(ConnectionImpl*) {
    throw ProtocolException("unimplemented frame type " + std::to_string(type()));
}

} // namespace AMQP
