#include "amqp/platformname.h"

#include <sys/utsname.h>

namespace AMQP {

PlatformName::PlatformName() {
    struct utsname names;
    if (uname(&names) != 0) return;
    _name = std::string(names.sysname) + " " + names.nodename + " " + names.release + " " + names.version;
}

} // namespace AMQP
