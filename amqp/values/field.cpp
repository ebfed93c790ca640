#include "amqp/values/field.h"

#include <ostream>

#include "amqp/buffers/inbuffer.h"
#include "amqp/buffers/protocolexception.h"
#include "amqp/values/array.h"
#include "amqp/values/booleanset.h"
#include "amqp/values/decimalfield.h"
#include "amqp/values/numericfield.h"
#include "amqp/values/stringfield.h"
#include "amqp/values/table.h"
#include "amqp/values/voidfield.h"

namespace AMQP {

Field::operator const std::string&() const {
    static const std::string empty;
    return empty;
}

// A table or an array converts to itself; a class cannot override a
// conversion to its own type, so the base tells them apart.
Field::operator const Array&() const {
    static const Array empty;
    if (auto* array = dynamic_cast<const Array*>(this)) return *array;
    return empty;
}

Field::operator const Table&() const {
    static const Table empty;
    if (auto* table = dynamic_cast<const Table*>(this)) return *table;
    return empty;
}

std::unique_ptr<Field> Field::decode(InBuffer& buffer) {
    char type = static_cast<char>(buffer.nextUint8());
    switch (type) {
    case 'b':
        return std::make_unique<NumericField<signed char, 'b'>>(buffer);
    case 'B':
        return std::make_unique<NumericField<unsigned char, 'B'>>(buffer);
    case 'U':
        return std::make_unique<NumericField<short, 'U'>>(buffer);
    case 'u':
        return std::make_unique<NumericField<unsigned short, 'u'>>(buffer);
    case 'I':
        return std::make_unique<NumericField<int, 'I'>>(buffer);
    case 'i':
        return std::make_unique<NumericField<unsigned int, 'i'>>(buffer);
    case 'L':
        return std::make_unique<NumericField<long, 'L'>>(buffer);
    case 'l':
        return std::make_unique<NumericField<unsigned long, 'l'>>(buffer);
    case 'T':
        return std::make_unique<NumericField<unsigned long, 'T'>>(buffer);
    case 'f':
        return std::make_unique<NumericField<float, 'f'>>(buffer);
    case 'd':
        return std::make_unique<NumericField<double, 'd'>>(buffer);
    case 's':
        return std::make_unique<ShortString>(buffer);
    case 'S':
        return std::make_unique<LongString>(buffer);
    case 'x':
        return std::make_unique<ByteArray>(buffer);
    case 't':
        return std::make_unique<BooleanSet>(buffer);
    case 'D':
        return std::make_unique<DecimalField>(buffer);
    case 'V':
        return std::make_unique<VoidField>(buffer);
    case 'F':
        return std::make_unique<Table>(buffer);
    case 'A':
        return std::make_unique<Array>(buffer);
    default:
        // the length of a value of unknown type is unknown too: skipping
        // only the type byte would read the value as the next entry
        throw ProtocolException("unknown field type code " +
                                std::to_string(static_cast<unsigned char>(type)));
    }
}

std::ostream& operator<<(std::ostream& stream, const Field& field) {
    field.output(stream);
    return stream;
}

} // namespace AMQP
