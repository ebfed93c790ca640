#include "amqp/buffers/buffercheck.h"

#include "amqp/buffers/inbuffer.h"
#include "amqp/buffers/protocolexception.h"

namespace AMQP {

BufferCheck::BufferCheck(InBuffer& buffer, size_t size) : _buffer(buffer), _size(size) {
    if (size > buffer.available()) throw ProtocolException("frame out of range");
}

BufferCheck::~BufferCheck() {
    _buffer._skip += _size;
}

} // namespace AMQP
