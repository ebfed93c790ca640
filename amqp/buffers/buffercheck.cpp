#include "amqp/buffercheck.h"

#include "amqp/inbuffer.h"
#include "amqp/protocolexception.h"

namespace AMQP {

BufferCheck::BufferCheck(InBuffer& buffer, size_t size) : _buffer(buffer), _size(size) {
    if (size > buffer.available()) throw ProtocolException("frame out of range");
}

BufferCheck::~BufferCheck() {
    _buffer._skip += _size;
}

} // namespace AMQP
