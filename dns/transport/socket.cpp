#include "dns/transport/socket.h"

#include "dns/wire/message.h"

#include <optional>
#include <stdexcept>

namespace DNS {

void Socket::add(const Ip& sender, const unsigned char* data, size_t size) {
    _received.emplace_back(sender, std::string(reinterpret_cast<const char*>(data), size));
    _handler->onActive(this);
}

size_t Socket::process(size_t maximum) {
    Watcher watcher(this);
    size_t finished = 0;
    while (finished < maximum && !_received.empty()) {
        std::pair<Ip, std::string> entry = std::move(_received.front());
        _received.pop_front();
        std::optional<Response> response;
        try {
            response.emplace(reinterpret_cast<const unsigned char*>(entry.second.data()),
                             entry.second.size());
        } catch (const std::runtime_error&) {
            continue;
        }
        if (!response->response()) continue;
        onReceivedId(response->id());
        if (!watcher.valid()) break;
        // Each subscriber in turn, found again after every call: an earlier
        // one may have made others leave.
        Subscription next{response->id(), entry.first, nullptr};
        for (auto it = _subscriptions.lower_bound(next);
             it != _subscriptions.end() && it->id == next.id && it->server.compare(next.server) == 0;
             it = _subscriptions.upper_bound(next)) {
            next.processor = it->processor;
            bool done = next.processor->onReceived(entry.first, *response);
            if (!watcher.valid()) return finished + done;
            if (done) {
                ++finished;
                break;
            }
        }
    }
    return finished;
}

} // namespace DNS
