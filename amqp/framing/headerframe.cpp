#include "amqp/framing/headerframe.h"

#include "amqp/buffers/outbuffer.h"

namespace AMQP {

void HeaderFrame::fill(OutBuffer& buffer) const {
    ExtFrame::fill(buffer);
    buffer.add(classID());
}

} // namespace AMQP
