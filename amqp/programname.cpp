#include "amqp/programname.h"

#include <unistd.h>

namespace AMQP {

ProgramName::ProgramName() {
    ssize_t length = readlink("/proc/self/exe", _path, capacity);
    _valid = length >= 0;
    if (!_valid) {
        _path[0] = '\0';
        return;
    }
    // readlink does not terminate; a path that filled the buffer loses its
    // last character to the terminator
    _path[static_cast<size_t>(length) < capacity ? length : capacity - 1] = '\0';
}

} // namespace AMQP
