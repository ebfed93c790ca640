#include "dns/host/printable.h"

#include "dns/host/ip.h"

#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <ostream>
#include <stdexcept>

namespace DNS {

Printable::Printable(const Ip& ip) {
    const char* written = ip.version() == 4 ? inet_ntop(AF_INET, ip.data(), _buffer, 16)
                                            : inet_ntop(AF_INET6, ip.data(), _buffer, sizeof _buffer);
    if (!written) throw std::runtime_error(std::strerror(errno));
}

size_t Printable::size() const {
    return std::strlen(_buffer);
}

std::ostream& operator<<(std::ostream& stream, const Printable& text) {
    return stream.write(text.data(), static_cast<std::streamsize>(text.size()));
}

} // namespace DNS
