#include "amqp/buffers/outbuffer.h"

#include <cstring>
#include <endian.h>

namespace AMQP {

void OutBuffer::add(uint16_t value) {
    uint16_t wire = htobe16(value);
    append(&wire, sizeof wire);
}

void OutBuffer::add(uint32_t value) {
    uint32_t wire = htobe32(value);
    append(&wire, sizeof wire);
}

void OutBuffer::add(uint64_t value) {
    uint64_t wire = htobe64(value);
    append(&wire, sizeof wire);
}

void OutBuffer::add(float value) {
    static_assert(sizeof(float) == sizeof(uint32_t), "float must be 32-bit IEEE-754");
    uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    add(bits);
}

void OutBuffer::add(double value) {
    static_assert(sizeof(double) == sizeof(uint64_t), "double must be 64-bit IEEE-754");
    uint64_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    add(bits);
}

} // namespace AMQP
