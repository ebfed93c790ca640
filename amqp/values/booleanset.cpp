#include "amqp/values/booleanset.h"

#include <ostream>

#include "amqp/buffers/inbuffer.h"
#include "amqp/buffers/outbuffer.h"

namespace AMQP {

BooleanSet::BooleanSet(bool first, bool second, bool third, bool fourth, bool fifth, bool sixth, bool seventh,
                       bool eighth) {
    bool bits[] = {first, second, third, fourth, fifth, sixth, seventh, eighth};
    for (unsigned int i = 0; i < 8; ++i)
        set(i, bits[i]);
}

BooleanSet::BooleanSet(InBuffer& buffer) : _byte(buffer.nextUint8()) {}

bool BooleanSet::get(unsigned int index) const {
    return index < 8 && (_byte >> index & 1);
}

void BooleanSet::set(unsigned int index, bool value) {
    if (index >= 8) return;
    if (value)
        _byte = static_cast<uint8_t>(_byte | 1u << index);
    else
        _byte = static_cast<uint8_t>(_byte & ~(1u << index));
}

std::unique_ptr<Field> BooleanSet::clone() const {
    return std::make_unique<BooleanSet>(*this);
}

void BooleanSet::fill(OutBuffer& buffer) const {
    buffer.add(_byte);
}

void BooleanSet::output(std::ostream& stream) const {
    stream << "booleanset(";
    for (unsigned int i = 0; i < 8; ++i)
        stream << (i ? "," : "") << (get(i) ? 1 : 0);
    stream << ")";
}

} // namespace AMQP
