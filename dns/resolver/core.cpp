#include "dns/resolver/core.h"

#include "dns/host/reverse.h"
#include "dns/resolver/config.h"
#include "dns/resolver/locallookup.h"
#include "dns/resolver/now.h"
#include "dns/resolver/remotelookup.h"
#include "dns/resolver/searchlookup.h"
#include "dns/wire/idgenerator.h"

#include <algorithm>
#include <cstring>
#include <string>

namespace DNS {

Core::Core(Loop* loop) : _loop(loop), _ipv4(loop, this), _ipv6(loop, this) {}

Core::~Core() {
    // The lookups go first, each leaving its sockets, which go after them;
    // a socket left idle may still ask for a wake-up, so the timer goes last.
    _scheduled.clear();
    _waiting.clear();
    _ready.clear();
    if (_timer) _loop->cancel(_timer, this);
    _timer = nullptr;
}

Core& Core::capacity(size_t count) {
    _capacity = std::clamp<size_t>(count, 1, IdGenerator::capacity());
    return *this;
}

Operation* Core::query(const std::shared_ptr<const Config>& config, const char* name, int type,
                       const Bits& bits, DNS::Handler* handler) {
    // The hosts file answers its names before any search candidate: a
    // candidate the servers know, or servers that do not answer, must not
    // hide what the host itself says of localhost and its like.
    const Hosts& hosts = config->hosts();
    bool local = (type == ns_t_a && hosts.lookup(name, 4)) || (type == ns_t_aaaa && hosts.lookup(name, 6));
    size_t length = std::strlen(name);
    size_t dots = size_t(std::count(name, name + length, '.'));
    if (!local && length > 0 && name[length - 1] != '.' && dots < config->ndots() &&
        dynamic_cast<SearchLookup*>(handler) == nullptr) {
        return SearchLookup::start(this, config, type, bits, name, handler);
    }
    std::shared_ptr<Lookup> lookup;
    try {
        if (local) {
            lookup = std::make_shared<LocalLookup>(this, config, name, type, bits, handler);
        } else {
            lookup = std::make_shared<RemoteLookup>(this, config, name, type, bits, handler);
        }
        add(lookup);
        return lookup.get();
    } catch (...) {
        // never started: the handler hears nothing, not even onDropped
        if (lookup) {
            release(lookup.get());
            lookup->_handler = nullptr;
        }
        return nullptr;
    }
}

Operation* Core::query(const std::shared_ptr<const Config>& config, const Ip& address, const Bits& bits,
                       DNS::Handler* handler) {
    Reverse name(address);
    // A name built from an address is complete: the final dot keeps it off
    // the search list whatever ndots says.
    if (config->hosts().lookup(address) == nullptr)
        return query(config, (std::string(name) + ".").c_str(), ns_t_ptr, bits, handler);
    try {
        auto lookup = std::make_shared<LocalLookup>(this, config, name, ns_t_ptr, bits, handler);
        add(lookup);
        return lookup.get();
    } catch (...) {
        return nullptr;
    }
}

void Core::add(const std::shared_ptr<Lookup>& lookup) {
    Now now;
    if (lookup->exhausted()) {
        _ready.push_front(lookup);
        lookup->_inflight = true;
        ++_inflight;
        timer(0);
        return;
    }
    if (_inflight < _capacity) {
        _scheduled.push_back(lookup);
        lookup->_inflight = true;
        ++_inflight;
        lookup->execute(now);
        if (_scheduled.size() == 1) reschedule(now);
        return;
    }
    _waiting.push_back(lookup);
    if (_waiting.size() == 1) reschedule(now);
}

void Core::release(Lookup* lookup) {
    if (!lookup->_inflight) return;
    lookup->_inflight = false;
    --_inflight;
    if (_inflight < _capacity && !_waiting.empty()) timer(0);
}

void Core::requeue(Lookup* lookup) {
    for (Queue* queue : {&_scheduled, &_ready}) {
        auto found =
            std::find_if(queue->begin(), queue->end(),
                         [lookup](const std::shared_ptr<Lookup>& entry) { return entry.get() == lookup; });
        if (found == queue->end()) continue;
        std::shared_ptr<Lookup> entry = *found;
        queue->erase(found);
        (lookup->exhausted() ? _ready : _scheduled).push_back(entry);
        return;
    }
}

Inbound* Core::datagram(const Ip& server, const Query& query) {
    if (server.version() == 4) return _ipv4.datagram(server, query);
    if (server.version() == 6) return _ipv6.datagram(server, query);
    return nullptr;
}

Connecting* Core::connect(const Ip& server, Connector* connector) {
    if (server.version() == 4) return _ipv4.connect(server, connector);
    if (server.version() == 6) return _ipv6.connect(server, connector);
    return nullptr;
}

void Core::expire() {
    if (_timer) _loop->cancel(_timer, this);
    _timer = nullptr;
    Watcher watcher(this);
    Now now;
    try {
        run(watcher, now);
    } catch (...) {
        // A handler threw: the exception goes on to the loop's owner, but
        // the lookups still in flight need the timer to end.
        if (watcher.valid()) reschedule(now);
        throw;
    }
}

void Core::run(const Watcher& watcher, double now) {
    size_t used = _ipv4.deliver(_budget);
    if (!watcher.valid()) return;
    if (used < _budget) used += _ipv6.deliver(_budget - used);
    if (!watcher.valid()) return;
    for (Queue* queue : {&_scheduled, &_ready}) {
        while (used < _budget && !queue->empty()) {
            if (!process(watcher, *queue, now)) break;
            if (!watcher.valid()) return;
            ++used;
        }
    }
    proceed(watcher, now);
    if (!watcher.valid()) return;
    _ipv4.sweep();
    _ipv6.sweep();
    reschedule(now);
}

bool Core::process(const Watcher& watcher, Queue& queue, double now) {
    std::shared_ptr<Lookup> lookup = queue.front();
    if (lookup->finished()) {
        queue.pop_front();
        return true;
    }
    if (lookup->delay(now) > 0) return false;
    queue.pop_front();
    bool reported = lookup->execute(now);
    if (!watcher.valid() || reported) return true;
    (lookup->exhausted() ? _ready : _scheduled).push_back(lookup);
    return true;
}

void Core::proceed(const Watcher& watcher, double now) {
    while (watcher.valid() && _inflight < _capacity && !_waiting.empty()) {
        std::shared_ptr<Lookup> lookup = _waiting.front();
        _waiting.pop_front();
        if (lookup->finished()) continue;
        lookup->_inflight = true;
        ++_inflight;
        bool reported = lookup->execute(now);
        if (!watcher.valid() || reported) continue;
        (lookup->exhausted() ? _ready : _scheduled).push_back(lookup);
    }
}

void Core::reschedule(double now) {
    if (_ipv4.active() || _ipv6.active() || (_inflight < _capacity && !_waiting.empty())) return timer(0);
    double wait = -1;
    for (const Queue* queue : {&_scheduled, &_ready}) {
        if (queue->empty()) continue;
        double delay = queue->front()->delay(now);
        if (wait < 0 || delay < wait) wait = delay;
    }
    timer(wait);
}

void Core::timer(double seconds) {
    if (seconds < 0 && !_timer) return;
    if (seconds == 0 && _timer && _immediate) return;
    if (_timer) _loop->cancel(_timer, this);
    _timer = nullptr;
    if (seconds < 0) return;
    _timer = _loop->timer(seconds, this);
    _immediate = seconds == 0;
}

void Core::onActive(Sockets*) {
    if (!(_timer && _immediate)) timer(0);
}

} // namespace DNS
