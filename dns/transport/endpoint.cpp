#include "dns/transport/endpoint.h"

namespace DNS {

socklen_t endpoint(const Ip& server, sockaddr_storage& address) {
    address = sockaddr_storage{};
    if (server.version() == 6) {
        auto* v6 = reinterpret_cast<sockaddr_in6*>(&address);
        v6->sin6_family = AF_INET6;
        v6->sin6_port = htons(53);
        v6->sin6_addr = server;
        return sizeof *v6;
    }
    auto* v4 = reinterpret_cast<sockaddr_in*>(&address);
    v4->sin_family = AF_INET;
    v4->sin_port = htons(53);
    v4->sin_addr = server;
    return sizeof *v4;
}

} // namespace DNS
