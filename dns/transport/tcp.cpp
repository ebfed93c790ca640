#include "dns/transport/tcp.h"

#include "dns/transport/endpoint.h"
#include "dns/wire/query.h"

#include <algorithm>
#include <cerrno>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <stdexcept>
#include <sys/socket.h>
#include <unistd.h>

namespace DNS {

namespace {

// Reads per event: the rest waits for the next one.
constexpr int readsPerEvent = 16;

} // namespace

Tcp::Tcp(Loop* loop, const Ip& server, Handler* handler)
    : Socket(handler), _loop(loop), _tcpHandler(handler), _ip(server) {
    _fd = ::socket(server.version() == 6 ? AF_INET6 : AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (_fd < 0) throw std::runtime_error("failed to create socket");
    int on = 1;
    setsockopt(_fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    sockaddr_storage address;
    socklen_t length = endpoint(server, address);
    if (::connect(_fd, reinterpret_cast<sockaddr*>(&address), length) != 0 && errno != EINPROGRESS &&
        errno != EAGAIN) {
        ::close(_fd);
        throw std::runtime_error("failed to connect");
    }
    _events = 2;
    _watcher = _loop->add(_fd, _events, this);
}

Tcp::~Tcp() {
    if (_watcher) _loop->remove(_watcher, _fd, this);
    ::close(_fd);
}

int Tcp::error() const {
    int value = 0;
    socklen_t length = sizeof value;
    if (getsockopt(_fd, SOL_SOCKET, SO_ERROR, &value, &length) != 0) return errno;
    return value;
}

void Tcp::watch() {
    if (!_watcher) return;
    int events = _state == connecting ? 2 : 1 | (_output.empty() ? 0 : 2);
    if (events == _events) return;
    _events = events;
    _watcher = _loop->update(_watcher, _fd, _events, this);
}

void Tcp::fail(State state) {
    if (_watcher) _loop->remove(_watcher, _fd, this);
    _watcher = nullptr;
    _state = state;
    _handler->onActive(this);
}

void Tcp::notify() {
    if (_state == connecting) {
        if (error() != 0) return fail(failed);
        _state = connected;
        watch();
        // the waiting lookups hear of it from the scheduler's turn
        _handler->onActive(this);
        return;
    }
    if (_state != connected) return;
    if (!flush()) return fail(lost);
    for (int i = 0; i < readsPerEvent; ++i) {
        unsigned char buffer[16384];
        ssize_t size = ::recv(_fd, buffer, sizeof buffer, MSG_DONTWAIT);
        if (size < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) break;
        if (size < 0 && errno == EINTR) continue;
        if (size <= 0) return fail(lost);
        _input.append(reinterpret_cast<const char*>(buffer), size_t(size));
        // every whole message in what arrived
        while (_input.size() >= 2) {
            size_t length = size_t((unsigned char)_input[0] << 8 | (unsigned char)_input[1]);
            if (_input.size() < 2 + length) break;
            std::string message = _input.substr(2, length);
            _input.erase(0, 2 + length);
            add(_ip, reinterpret_cast<const unsigned char*>(message.data()), message.size());
        }
    }
}

bool Tcp::flush() {
    while (!_output.empty()) {
        ssize_t sent = ::send(_fd, _output.data(), _output.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
        if (sent < 0 && errno == EINTR) continue;
        if (sent < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) break;
        if (sent <= 0) return false;
        _output.erase(0, size_t(sent));
    }
    watch();
    return true;
}

bool Tcp::write(const Query& query) {
    if (_state != connected) return false;
    _output += char(query.size() >> 8);
    _output += char(query.size() & 0xff);
    _output.append(reinterpret_cast<const char*>(query.data()), query.size());
    _outstanding.insert(query.id());
    return flush();
}

Inbound* Tcp::send(const Query& query) {
    if (_state != connected) return nullptr;
    if (_outstanding.count(query.id())) {
        _pending.emplace(query.id(), std::string(reinterpret_cast<const char*>(query.data()), query.size()));
        return this;
    }
    if (!write(query)) {
        fail(lost);
        return nullptr;
    }
    return this;
}

void Tcp::onReceivedId(uint16_t id) {
    if (_state != connected) return;
    auto waiting = _pending.find(id);
    if (waiting == _pending.end()) {
        _outstanding.erase(id);
        return;
    }
    const std::string& bytes = waiting->second;
    _output += char(bytes.size() >> 8);
    _output += char(bytes.size() & 0xff);
    _output += bytes;
    _pending.erase(waiting);
    if (!flush()) fail(lost);
}

Connecting* Tcp::subscribe(Connector* connector) {
    if (_state == failed || _state == lost) return nullptr;
    _connectors.push_back(connector);
    if (_state != connecting && _connectors.size() == 1) _handler->onActive(this);
    return this;
}

void Tcp::unsubscribe(Connector* connector) {
    auto found = std::find(_connectors.begin(), _connectors.end(), connector);
    if (found != _connectors.end()) _connectors.erase(found);
    reset();
}

void Tcp::reset() {
    if (_subscriptions.empty() && _connectors.empty()) _tcpHandler->onUnused(this);
}

bool Tcp::active() const {
    return Socket::active() || (_state != connecting && !_connectors.empty()) ||
           (_state == lost && !_subscriptions.empty());
}

size_t Tcp::process(size_t maximum) {
    Watcher watcher(this);
    size_t finished = 0;
    while (finished < maximum && !_connectors.empty() && _state != connecting) {
        Connector* connector = _connectors.front();
        _connectors.pop_front();
        bool done = _state == failed ? connector->onFailure(_ip) : connector->onConnected(_ip, this);
        if (!watcher.valid()) return finished + done;
        finished += done;
    }
    if (finished < maximum) {
        finished += Socket::process(maximum - finished);
        if (!watcher.valid()) return finished;
    }
    while (_state == lost && finished < maximum && !_subscriptions.empty()) {
        Subscription first = *_subscriptions.begin();
        _subscriptions.erase(_subscriptions.begin());
        bool done = first.processor->onLost(_ip);
        if (!watcher.valid()) return finished + done;
        finished += done;
    }
    reset();
    return finished;
}

} // namespace DNS
