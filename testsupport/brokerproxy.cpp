#include "testsupport/brokerproxy.h"

#include "testsupport/broker.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
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

// the length of the frame that starts at `at`, 0 while it is incomplete
size_t frameAt(const std::string& bytes, size_t at) {
    if (bytes.size() < at + 7) return 0;
    size_t total = 7 + bigEndian(bytes, at + 3, 4) + 1;
    return bytes.size() < at + total ? 0 : total;
}

// whether the whole frame at `at` is the method classId.methodId
bool isMethod(const std::string& bytes, size_t at, size_t total, uint32_t classId, uint32_t methodId) {
    return bytes[at] == 1 && total >= 12 && bigEndian(bytes, at + 7, 2) == classId &&
           bigEndian(bytes, at + 9, 2) == methodId;
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

void BrokerProxy::block(const std::string& reason) {
    std::lock_guard<std::mutex> lock(_mutex);
    _blocked = reason;
    _blocking = true;
}

bool BrokerProxy::sendBlocked(int client) {
    std::string reason;
    {
        std::lock_guard<std::mutex> lock(_mutex);
        reason = _blocked;
        _blocking = false;
    }
    // connection.blocked (10, 60) on channel 0: the reason as a short string
    std::string payload{0, 10, 0, 60, static_cast<char>(reason.size())};
    payload += reason;
    std::string frame{
        1, 0, 0, 0, 0, static_cast<char>(payload.size() >> 8), static_cast<char>(payload.size())};
    frame += payload + '\xce';
    return sendAll(client, frame.data(), frame.size());
}

bool BrokerProxy::forward(int client, std::string& pending) {
    size_t done = 0;
    while (size_t total = frameAt(pending, done)) {
        // connection.tune: channel-max (2), frame-max (4), heartbeat (2)
        if (total >= 20 && isMethod(pending, done, total, 10, 30)) {
            if (_heartbeat >= 0) {
                int seconds = _heartbeat;
                pending[done + 17] = static_cast<char>(seconds >> 8);
                pending[done + 18] = static_cast<char>(seconds & 0xff);
            }
            for (int i = 0; _frameMax != 0 && i < 4; ++i)
                pending[done + 13 + i] = static_cast<char>(_frameMax >> (24 - 8 * i));
        }
        if (_drop != 0 && isMethod(pending, done, total, _drop >> 16, _drop & 0xffff)) {
            pending.erase(done, total);
            continue;
        }
        // basic.ack and basic.nack: the delivery tag (8) follows the ids
        bool confirm = isMethod(pending, done, total, 60, 80) || isMethod(pending, done, total, 60, 120);
        if (_corruptConfirms && confirm && total >= 20) pending[done + 17] ^= 0x10;
        if (_confirmEarly != 0 &&
            isMethod(pending, done, total, _confirmEarly >> 16, _confirmEarly & 0xffff)) {
            _confirmEarly = 0;
            // basic.ack (60, 80): delivery tag 1, multiple false
            const char ack[] = {1, 0, 1, 0, 0, 0, 13, 0, 60, 0, 80, 0, 0, 0, 0, 0, 0, 0, 1, 0, '\xce'};
            pending.insert(done + total, ack, sizeof ack);
            total += sizeof ack;
        }
        done += total;
        if (confirm && _freezeAfterConfirm) {
            // what follows waits, as if the broker said nothing more
            _frozen = true;
            break;
        }
    }
    bool sent = sendAll(client, pending.data(), done);
    pending.erase(0, done);
    return sent;
}

void BrokerProxy::inspect(std::string& pending) {
    if (!_greeted) {
        if (pending.size() < 8) return;
        pending.erase(0, 8);
        _greeted = true;
    }
    // frames: type, channel (2), size (4), payload, end byte
    while (size_t total = frameAt(pending, 0)) {
        if (isMethod(pending, 0, total, 10, 40)) _tuned = true;
        if (isMethod(pending, 0, total, 20, 10)) _opening = true;
        if (isMethod(pending, 0, total, 60, 40)) {
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
        // what the broker sent that is not a whole frame yet: frames pass
        // whole, so that one can be changed or put between them
        std::string fromBroker;
        bool clientOpen = true;
        while (!_stop) {
            if (_blocking && !sendBlocked(client)) break;
            bool listen = broker >= 0 && !_frozen;
            pollfd fds[2] = {{client, short(clientOpen ? POLLIN : 0), 0},
                             {broker, short(listen ? POLLIN : 0), 0}};
            if (poll(fds, 2, 20) <= 0) continue;
            if (fds[0].revents) {
                ssize_t n = read(client, chunk, _slow ? 4096 : sizeof chunk);
                // the client's end of its side is not answered by an end of ours
                if (n <= 0 && _keepClientOpen) {
                    clientOpen = false;
                    continue;
                }
                if (n <= 0) break;
                if (broker < 0) continue;
                // seen before it goes on: the broker's confirm cannot overtake the freeze
                pending.append(chunk, static_cast<size_t>(n));
                inspect(pending);
                if (!sendAll(broker, chunk, static_cast<size_t>(n))) break;
                if (_slow) std::this_thread::sleep_for(std::chrono::milliseconds(1));
            }
            if (listen && fds[1].revents) {
                ssize_t n = read(broker, chunk, sizeof chunk);
                if (n <= 0 && _keepClientOpen) {
                    close(broker);
                    broker = -1;
                    continue;
                }
                if (n <= 0) break;
                fromBroker.append(chunk, static_cast<size_t>(n));
                if (!forward(client, fromBroker)) break;
            }
        }
    }
    if (broker >= 0) close(broker);
    close(client);
}

} // namespace Orvanta::Test
