#include "dns/transport/sockets.h"

#include <algorithm>

namespace DNS {

Sockets::Sockets(Loop* loop, Handler* handler) : _loop(loop), _handler(handler) {
    _udp.emplace_back(loop, this);
}

Inbound* Sockets::datagram(const Ip& server, const Query& query) {
    // the socket open for that server, else a closed one, else a new one
    Udp* chosen = nullptr;
    for (Udp& udp : _udp) {
        if (udp.serves(server)) {
            chosen = &udp;
            break;
        }
    }
    for (auto it = _udp.begin(); chosen == nullptr && it != _udp.end(); ++it) {
        if (!it->valid()) chosen = &*it;
    }
    if (chosen == nullptr) {
        _udp.emplace_back(_loop, this);
        _udp.back().buffersize(_udp.front().buffersize());
        chosen = &_udp.back();
    }
    return chosen->send(server, query);
}

Connecting* Sockets::connect(const Ip& server, Connector* connector) {
    try {
        for (const std::shared_ptr<Tcp>& tcp : _tcp) {
            if (tcp->ip().compare(server) != 0) continue;
            if (Connecting* connecting = tcp->subscribe(connector)) return connecting;
        }
        _tcp.push_back(std::make_shared<Tcp>(_loop, server, this));
        return _tcp.back()->subscribe(connector);
    } catch (...) {
        return nullptr;
    }
}

size_t Sockets::deliver(size_t budget) {
    Watcher watcher(this);
    size_t total = 0;
    for (Udp& udp : _udp) {
        if (total >= budget) return total;
        total += udp.process(budget - total);
        if (!watcher.valid()) return total;
    }
    std::vector<std::shared_ptr<Tcp>> snapshot = _tcp;
    for (const std::shared_ptr<Tcp>& tcp : snapshot) {
        if (total >= budget) break;
        total += tcp->process(budget - total);
        if (!watcher.valid()) break;
    }
    return total;
}

bool Sockets::active() const {
    for (const Udp& udp : _udp) {
        if (udp.active()) return true;
    }
    for (const std::shared_ptr<Tcp>& tcp : _tcp) {
        if (tcp->active()) return true;
    }
    return false;
}

void Sockets::sweep() {
    for (Udp& udp : _udp) {
        if (udp.idle()) udp.close();
    }
}

void Sockets::sockets(size_t count) {
    while (_udp.size() < count) {
        _udp.emplace_back(_loop, this);
        _udp.back().buffersize(_udp.front().buffersize());
    }
}

void Sockets::onActive(Socket*) {
    _handler->onActive(this);
}

void Sockets::onUnused(Tcp* connection) {
    auto found = std::find_if(_tcp.begin(), _tcp.end(), [connection](const std::shared_ptr<Tcp>& tcp) {
        return tcp.get() == connection;
    });
    if (found != _tcp.end()) _tcp.erase(found);
}

} // namespace DNS
