#include "amqp/framing/protocolheaderframe.h"

#include "amqp/buffers/outbuffer.h"

namespace AMQP {

void ProtocolHeaderFrame::fill(OutBuffer& buffer) const {
    buffer.add(_protocol, 5);
    buffer.add(_major);
    buffer.add(_minor);
    buffer.add(_revision);
}

} // namespace AMQP
