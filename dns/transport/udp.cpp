#include "dns/transport/udp.h"

#include "dns/transport/endpoint.h"
#include "dns/wire/query.h"

#include <cerrno>
#include <cstring>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace DNS {

namespace {

// More than this many datagrams in one event wait for the next one, so a
// flood cannot hold the loop.
constexpr int datagramsPerEvent = 64;

} // namespace

bool Udp::open(int version) {
    if (valid()) return true;
    _fd = ::socket(version == 6 ? AF_INET6 : AF_INET, SOCK_DGRAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (_fd < 0) return false;
    _version = version;
    if (_buffersize != 0) {
        int size = int(_buffersize);
        setsockopt(_fd, SOL_SOCKET, SO_SNDBUF, &size, sizeof size);
        setsockopt(_fd, SOL_SOCKET, SO_RCVBUF, &size, sizeof size);
    }
    _watcher = _loop->add(_fd, 1, this);
    return true;
}

bool Udp::serves(const Ip& server) const {
    return valid() && _peer.compare(server) == 0;
}

Inbound* Udp::send(const Ip& server, const Query& query) {
    if (valid() && !serves(server)) return nullptr;
    if (!valid()) {
        if (!open(server.version())) return nullptr;
        // Connected, the kernel passes on only what the server sends from
        // port 53, and sends without looking the route up again each time.
        sockaddr_storage address;
        socklen_t length = endpoint(server, address);
        if (::connect(_fd, reinterpret_cast<sockaddr*>(&address), length) != 0) {
            close();
            return nullptr;
        }
        _peer = server;
    }
    ssize_t sent = ::send(_fd, query.data(), query.size(), MSG_NOSIGNAL);
    if (sent == ssize_t(query.size())) return this;
    if (subscribers() == 0) close();
    return nullptr;
}

void Udp::close() {
    if (!valid()) return;
    _loop->remove(_watcher, _fd, this);
    _watcher = nullptr;
    ::close(_fd);
    _fd = -1;
}

void Udp::notify() {
    // room for any datagram; a longer one is refused whole, never cut
    static thread_local unsigned char buffer[65536];
    for (int i = 0; i < datagramsPerEvent && valid(); ++i) {
        sockaddr_storage address{};
        socklen_t length = sizeof address;
        ssize_t size = ::recvfrom(_fd, buffer, sizeof buffer, MSG_DONTWAIT | MSG_TRUNC,
                                  reinterpret_cast<sockaddr*>(&address), &length);
        if (size < 0) {
            if (errno == EINTR) continue;
            return;
        }
        if (size_t(size) > sizeof buffer) continue;
        in_port_t port = address.ss_family == AF_INET6  ? reinterpret_cast<sockaddr_in6*>(&address)->sin6_port
                         : address.ss_family == AF_INET ? reinterpret_cast<sockaddr_in*>(&address)->sin_port
                                                        : 0;
        if (port != htons(53)) continue;
        add(Ip(reinterpret_cast<sockaddr*>(&address)), buffer, size_t(size));
    }
}

} // namespace DNS
