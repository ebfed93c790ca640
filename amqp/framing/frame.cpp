#include "amqp/framing/frame.h"

#include "amqp/buffers/protocolexception.h"

namespace AMQP {

bool Frame::process(ConnectionImpl*) {
    throw ProtocolException("unimplemented frame");
}

} // namespace AMQP
