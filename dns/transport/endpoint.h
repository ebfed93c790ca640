// The socket address of a name server: its IP address and port 53.
#pragma once

#include "dns/host/ip.h"

#include <sys/socket.h>

namespace DNS {

// Fills `address` for IPv4 or IPv6 by the version; the length used.
socklen_t endpoint(const Ip& server, sockaddr_storage& address);

} // namespace DNS
