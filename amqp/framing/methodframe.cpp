#include "amqp/framing/methodframe.h"

#include <string>

#include "amqp/buffers/outbuffer.h"
#include "amqp/buffers/protocolexception.h"

namespace AMQP {

void MethodFrame::fill(OutBuffer& buffer) const {
    ExtFrame::fill(buffer);
    buffer.add(classID());
    buffer.add(methodID());
}

bool MethodFrame::process(ConnectionImpl*) {
    throw ProtocolException("unimplemented frame type " + std::to_string(type()) + " class " +
                            std::to_string(classID()) + " method " + std::to_string(methodID()));
}

} // namespace AMQP
