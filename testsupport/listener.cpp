#include "testsupport/listener.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <stdexcept>
#include <sys/socket.h>
#include <unistd.h>

namespace Orvanta::Test {

namespace {

int bound(const std::string& address, int port, socklen_t* length, sockaddr_storage* storage) {
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
    if (bind(fd, reinterpret_cast<sockaddr*>(storage), *length) != 0 ||
        getsockname(fd, reinterpret_cast<sockaddr*>(storage), length) != 0) {
        ::close(fd);
        throw std::runtime_error("bind " + address + ":" + std::to_string(port));
    }
    return fd;
}

int portOf(const sockaddr_storage& storage) {
    return storage.ss_family == AF_INET6 ? ntohs(reinterpret_cast<const sockaddr_in6&>(storage).sin6_port)
                                         : ntohs(reinterpret_cast<const sockaddr_in&>(storage).sin_port);
}

} // namespace

Listener::Listener(const std::string& address, int port, int backlog) : _address(address) {
    sockaddr_storage storage;
    socklen_t length;
    _fd = bound(address, port, &length, &storage);
    _port = portOf(storage);
    if (listen(_fd, backlog) != 0) {
        ::close(_fd);
        throw std::runtime_error("cannot listen on " + address);
    }
}

Listener::~Listener() {
    close();
}

std::string Listener::amqpAddress() const {
    std::string host = _address.find(':') != std::string::npos ? "[" + _address + "]" : _address;
    return "amqp://guest:guest@" + host + ":" + std::to_string(_port) + "/";
}

int Listener::accept(int milliseconds) {
    if (!readableWithin(_fd, milliseconds)) return -1;
    return ::accept4(_fd, nullptr, nullptr, SOCK_CLOEXEC);
}

void Listener::fill() {
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

void Listener::close() {
    for (int fd : _held)
        ::close(fd);
    _held.clear();
    if (_fd >= 0) ::close(_fd);
    _fd = -1;
}

int Listener::closedPort() {
    // Kept bound, without a listen and without SO_REUSEADDR, for the rest of
    // the test program: connects are refused, and no test running beside
    // this one can be given the port meanwhile, as it could once closed.
    int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (fd < 0 || bind(fd, reinterpret_cast<sockaddr*>(&address), length) != 0 ||
        getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0)
        throw std::runtime_error("no free port");
    return ntohs(address.sin_port);
}

bool readableWithin(int fd, int milliseconds) {
    pollfd wanted{fd, POLLIN, 0};
    return poll(&wanted, 1, milliseconds) == 1;
}

std::string readAll(int fd, int milliseconds) {
    std::string out;
    char chunk[65536];
    while (readableWithin(fd, milliseconds)) {
        ssize_t n = read(fd, chunk, sizeof chunk);
        if (n <= 0) break;
        out.append(chunk, n);
    }
    return out;
}

} // namespace Orvanta::Test
