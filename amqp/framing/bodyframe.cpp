#include "amqp/bodyframe.h"

#include "amqp/outbuffer.h"
#include "amqp/receivedframe.h"

namespace AMQP {

BodyFrame::BodyFrame(ReceivedFrame& frame) : ExtFrame(frame), _payload(frame.nextData(frame.payloadSize())) {}

void BodyFrame::fill(OutBuffer& buffer) const {
    ExtFrame::fill(buffer);
    buffer.add(_payload, payloadSize());
}

} // namespace AMQP
