#include "dns/resolver/localdomain.h"

#include <cerrno>
#include <cstring>
#include <stdexcept>
#include <unistd.h>

namespace DNS {

LocalDomain::LocalDomain() {
    if (gethostname(_hostname, sizeof _hostname - 1) != 0) throw std::runtime_error(std::strerror(errno));
    _hostname[sizeof _hostname - 1] = 0;
    size_t length = std::strlen(_hostname);
    if (length > 0 && _hostname[length - 1] == '.') _hostname[length - 1] = 0;
    const char* dot = std::strchr(_hostname, '.');
    _domain = dot ? dot + 1 : _hostname + std::strlen(_hostname);
}

} // namespace DNS
