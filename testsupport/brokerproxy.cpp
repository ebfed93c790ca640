#include "testsupport/brokerproxy.h"

#include "testsupport/broker.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdint>
#include <stdexcept>

namespace Orvanta::Test {

namespace {

uint32_t bigEndian(const std::string& bytes, size_t at, size_t count) {
    uint32_t value = 0;
    for (size_t i = 0; i < count; ++i)
        value = value << 8 | static_cast<unsigned char>(bytes[at + i]);
    return value;
}

bool sendAll(int fd, const char* data, size_t size) {
    while (size > 0) {
        // a side that closed first must end the forwarding, not the test
        // program by SIGPIPE
        ssize_t n = send(fd, data, size, MSG_NOSIGNAL);
        if (n <= 0) return false;
        data += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

} // namespace

BrokerProxy::BrokerProxy(bool freezeOnPublish) : _freezeOnPublish(freezeOnPublish) {
    _listener = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof address;
    if (bind(_listener, reinterpret_cast<sockaddr*>(&address), size) != 0 || listen(_listener, 4) != 0 ||
        getsockname(_listener, reinterpret_cast<sockaddr*>(&address), &size) != 0)
        throw std::runtime_error("the proxy cannot listen");
    _port = ntohs(address.sin_port);
    _thread = std::thread([this] { run(); });
}

BrokerProxy::~BrokerProxy() {
    _stop = true;
    _thread.join();
    close(_listener);
}

std::string BrokerProxy::address() const {
    std::string url = brokerAddress();
    url.replace(url.rfind(':') + 1, std::string::npos, std::to_string(_port) + "/");
    return url;
}

void BrokerProxy::inspect(std::string& pending) {
    if (!_greeted) {
        if (pending.size() < 8) return;
        pending.erase(0, 8);
        _greeted = true;
    }
    // frames: type, channel (2), size (4), payload, end byte
    while (pending.size() >= 7) {
        size_t total = 7 + bigEndian(pending, 3, 4) + 1;
        if (pending.size() < total) return;
        bool method = pending[0] == 1 && total >= 12;
        if (method && bigEndian(pending, 7, 2) == 10 && bigEndian(pending, 9, 2) == 40) _tuned = true;
        if (method && bigEndian(pending, 7, 2) == 60 && bigEndian(pending, 9, 2) == 40) {
            if (_freezeOnPublish) _frozen = true;
            _published = true;
        }
        pending.erase(0, total);
    }
}

void BrokerProxy::run() {
    int client = -1;
    while (!_stop && client < 0) {
        pollfd wait{_listener, POLLIN, 0};
        if (poll(&wait, 1, 100) > 0) client = accept4(_listener, nullptr, nullptr, SOCK_CLOEXEC);
    }
    if (client < 0) return;
    int broker = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(static_cast<uint16_t>(brokerPort()));
    inet_pton(AF_INET, "127.0.0.1", &to.sin_addr);
    if (connect(broker, reinterpret_cast<sockaddr*>(&to), sizeof to) == 0) {
        char chunk[65536];
        std::string pending;
        while (!_stop) {
            pollfd fds[2] = {{client, POLLIN, 0}, {broker, short(_frozen ? 0 : POLLIN), 0}};
            if (poll(fds, 2, 20) <= 0) continue;
            if (fds[0].revents) {
                ssize_t n = read(client, chunk, sizeof chunk);
                if (n <= 0) break;
                // seen before it goes on: the broker's confirm cannot overtake the freeze
                pending.append(chunk, static_cast<size_t>(n));
                inspect(pending);
                if (!sendAll(broker, chunk, static_cast<size_t>(n))) break;
            }
            if (fds[1].revents && !_frozen) {
                ssize_t n = read(broker, chunk, sizeof chunk);
                if (n <= 0 || !sendAll(client, chunk, static_cast<size_t>(n))) break;
            }
        }
    }
    close(broker);
    close(client);
}

} // namespace Orvanta::Test
