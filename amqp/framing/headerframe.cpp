#include "amqp/headerframe.h"

#include "amqp/outbuffer.h"

namespace AMQP {

void HeaderFrame::fill(OutBuffer& buffer) const {
    ExtFrame::fill(buffer);
    buffer.add(classID());
}

} // namespace AMQP
