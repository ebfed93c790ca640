#include "amqp/buffers/inbuffer.h"

#include <cstring>
#include <endian.h>

#include "amqp/buffers/buffer.h"
#include "amqp/buffers/buffercheck.h"

namespace AMQP {

size_t InBuffer::available() const {
    size_t size = _buffer.size();
    return size > _skip ? size - _skip : 0;
}

uint8_t InBuffer::nextUint8() {
    BufferCheck check(*this, 1);
    return static_cast<uint8_t>(_buffer.byte(_skip));
}

int8_t InBuffer::nextInt8() {
    BufferCheck check(*this, 1);
    return static_cast<int8_t>(_buffer.byte(_skip));
}

uint16_t InBuffer::nextUint16() {
    BufferCheck check(*this, 2);
    uint16_t value;
    _buffer.copy(_skip, 2, &value);
    return be16toh(value);
}

int16_t InBuffer::nextInt16() {
    return static_cast<int16_t>(nextUint16());
}

uint32_t InBuffer::nextUint32() {
    BufferCheck check(*this, 4);
    uint32_t value;
    _buffer.copy(_skip, 4, &value);
    return be32toh(value);
}

int32_t InBuffer::nextInt32() {
    return static_cast<int32_t>(nextUint32());
}

uint64_t InBuffer::nextUint64() {
    BufferCheck check(*this, 8);
    uint64_t value;
    _buffer.copy(_skip, 8, &value);
    return be64toh(value);
}

int64_t InBuffer::nextInt64() {
    return static_cast<int64_t>(nextUint64());
}

// Floating-point values travel big-endian like every other number: their bit
// pattern is read as an integer of the same width and reinterpreted.
float InBuffer::nextFloat() {
    uint32_t bits = nextUint32();
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

double InBuffer::nextDouble() {
    uint64_t bits = nextUint64();
    double value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

const char* InBuffer::nextData(size_t size) {
    BufferCheck check(*this, size);
    return _buffer.data(_skip, size);
}

} // namespace AMQP
