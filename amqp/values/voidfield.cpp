#include "amqp/values/voidfield.h"

#include <ostream>

namespace AMQP {

void VoidField::output(std::ostream& stream) const {
    stream << "void()";
}

} // namespace AMQP
