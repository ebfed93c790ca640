// Loopback TCP listeners for transport tests: one that accepts, a port where
// nothing listens, and one whose queue is full so that connects hang.
#pragma once

#include <arpa/inet.h>
#include <cerrno>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <stdexcept>
#include <string>
#include <sys/socket.h>
#include <unistd.h>
#include <vector>

namespace AMQP::Test {

class Listener {
public:
    // listens on address ("127.0.0.1" or "::1") at port (0: any free one)
    explicit Listener(const std::string& address = "127.0.0.1", int port = 0, int backlog = 16);
    ~Listener();
    Listener(const Listener&) = delete;
    Listener& operator=(const Listener&) = delete;

    int port() const { return _port; }

    // an accepted connection, or -1 when none came within milliseconds
    int accept(int milliseconds = 2000);

    // connects to itself until its queue is full: further connects then
    // neither succeed nor fail
    void fill();

private:
    int _fd = -1;
    int _port = 0;
    std::string _address;
    std::vector<int> _held;
};

// waits until fd is readable; false when milliseconds passed first
bool readableWithin(int fd, int milliseconds);

// reads what the peer sends until it closes or milliseconds pass
std::string readAll(int fd, int milliseconds = 2000);

namespace Detail {

inline int bound(const std::string& address, int port, socklen_t* length, sockaddr_storage* storage) {
    bool six = address.find(':') != std::string::npos;
    int fd = socket(six ? AF_INET6 : AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) throw std::runtime_error("socket");
    int on = 1;
    setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    *storage = {};
    if (six) {
        auto* in6 = reinterpret_cast<sockaddr_in6*>(storage);
        in6->sin6_family = AF_INET6;
        in6->sin6_port = htons(port);
        inet_pton(AF_INET6, address.c_str(), &in6->sin6_addr);
        *length = sizeof *in6;
    } else {
        auto* in4 = reinterpret_cast<sockaddr_in*>(storage);
        in4->sin_family = AF_INET;
        in4->sin_port = htons(port);
        inet_pton(AF_INET, address.c_str(), &in4->sin_addr);
        *length = sizeof *in4;
    }
    if (bind(fd, reinterpret_cast<sockaddr*>(storage), *length) != 0) {
        close(fd);
        throw std::runtime_error("bind " + address + ":" + std::to_string(port));
    }
    getsockname(fd, reinterpret_cast<sockaddr*>(storage), length);
    return fd;
}

inline int portOf(const sockaddr_storage& storage) {
    return storage.ss_family == AF_INET6 ? ntohs(reinterpret_cast<const sockaddr_in6&>(storage).sin6_port)
                                         : ntohs(reinterpret_cast<const sockaddr_in&>(storage).sin_port);
}

} // namespace Detail

inline Listener::Listener(const std::string& address, int port, int backlog) : _address(address) {
    sockaddr_storage storage;
    socklen_t length;
    _fd = Detail::bound(address, port, &length, &storage);
    _port = Detail::portOf(storage);
    listen(_fd, backlog);
}

inline Listener::~Listener() {
    for (int fd : _held)
        close(fd);
    close(_fd);
}

inline int Listener::accept(int milliseconds) {
    if (!readableWithin(_fd, milliseconds)) return -1;
    return ::accept4(_fd, nullptr, nullptr, SOCK_CLOEXEC);
}

inline void Listener::fill() {
    sockaddr_storage storage;
    socklen_t length = sizeof storage;
    getsockname(_fd, reinterpret_cast<sockaddr*>(&storage), &length);
    for (int i = 0; i < 64; ++i) {
        int fd = socket(storage.ss_family, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
        _held.push_back(fd);
        if (connect(fd, reinterpret_cast<sockaddr*>(&storage), length) == 0) continue;
        pollfd wanted{fd, POLLOUT, 0};
        // a connect that does not complete at once means the queue is full
        if (poll(&wanted, 1, 200) == 0) return;
    }
    throw std::runtime_error("the listener's queue never filled");
}

inline bool readableWithin(int fd, int milliseconds) {
    pollfd wanted{fd, POLLIN, 0};
    return poll(&wanted, 1, milliseconds) == 1;
}

inline std::string readAll(int fd, int milliseconds) {
    std::string out;
    char chunk[65536];
    while (readableWithin(fd, milliseconds)) {
        ssize_t n = read(fd, chunk, sizeof chunk);
        if (n <= 0) break;
        out.append(chunk, n);
    }
    return out;
}

} // namespace AMQP::Test
