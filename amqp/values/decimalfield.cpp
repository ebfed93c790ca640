#include "amqp/values/decimalfield.h"

#include <cmath>
#include <ostream>

#include "amqp/buffers/inbuffer.h"
#include "amqp/buffers/outbuffer.h"

namespace AMQP {

DecimalField::DecimalField(InBuffer& buffer) {
    // two statements: the places byte comes first on the wire
    _places = buffer.nextUint8();
    _number = buffer.nextUint32();
}

std::unique_ptr<Field> DecimalField::clone() const {
    return std::make_unique<DecimalField>(*this);
}

void DecimalField::fill(OutBuffer& buffer) const {
    buffer.add(static_cast<uint8_t>(_places));
    buffer.add(static_cast<uint32_t>(_number));
}

DecimalField::operator double() const {
    return _number / std::pow(10.0, _places);
}

void DecimalField::output(std::ostream& stream) const {
    stream << "decimal(" << static_cast<double>(*this) << ")";
}

} // namespace AMQP
