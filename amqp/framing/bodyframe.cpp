#include "amqp/framing/bodyframe.h"

#include "amqp/buffers/outbuffer.h"
#include "amqp/framing/receivedframe.h"

namespace AMQP {

BodyFrame::BodyFrame(ReceivedFrame& frame) : ExtFrame(frame), _payload(frame.nextData(frame.payloadSize())) {}

void BodyFrame::fill(OutBuffer& buffer) const {
    ExtFrame::fill(buffer);
    buffer.add(_payload, payloadSize());
}

} // namespace AMQP
