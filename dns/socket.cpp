#include "dns/socket.h"

#include "dns/message.h"

#include <optional>
#include <stdexcept>
#include <vector>

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
        std::vector<Processor*> candidates;
        for (auto it = _subscriptions.lower_bound({response->id(), entry.first, nullptr});
             it != _subscriptions.end() && it->id == response->id() && it->server.compare(entry.first) == 0;
             ++it)
            candidates.push_back(it->processor);
        for (Processor* processor : candidates) {
            // an earlier candidate may have made this one leave
            if (_subscriptions.count({response->id(), entry.first, processor}) == 0) continue;
            bool done = processor->onReceived(entry.first, *response);
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
