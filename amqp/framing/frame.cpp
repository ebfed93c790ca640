#include "amqp/frame.h"

#include "amqp/protocolexception.h"

namespace AMQP {

bool Frame::process(ConnectionImpl*) {
    throw ProtocolException("unimplemented frame");
}

} // namespace AMQP
