#include "dns/resolver/remotelookup.h"

#include "dns/resolver/core.h"
#include "dns/resolver/handler.h"
#include "dns/resolver/now.h"
#include "dns/wire/fakeresponse.h"
#include "dns/wire/record.h"

#include <algorithm>
#include <cstdlib>
#include <stdexcept>

namespace DNS {

namespace {

// connections tried after the first one was lost
constexpr unsigned reconnections = 10;

// The server could not answer, which says nothing of the name: another
// server may.
bool declines(int rcode) {
    return rcode == ns_r_formerr || rcode == ns_r_servfail || rcode == ns_r_notimpl || rcode == ns_r_refused;
}

} // namespace

RemoteLookup::RemoteLookup(Core* core, const std::shared_ptr<const Config>& config, const char* name,
                           int type, const Bits& bits, Handler* handler)
    : Lookup(core, config, name, type, bits, handler), _offset(unsigned(std::rand())) {}

RemoteLookup::~RemoteLookup() {
    leave();
    // gone with its core, unreported
    if (_handler) _handler->onDropped(this);
}

bool RemoteLookup::exhausted() const {
    return !finished() && (_tcp > 0 || _attempts >= _config->attempts() || _config->nameservers() == 0);
}

double RemoteLookup::delay(double now) const {
    if (finished() || (_attempts == 0 && _tcp == 0)) return 0;
    double wait = _last + (exhausted() ? _config->timeout() : _config->interval()) - now;
    return wait > 0 ? wait : 0;
}

bool RemoteLookup::execute(double now) {
    if (finished()) return true;
    size_t servers = _config->nameservers();
    if (servers == 0) return timeout();
    if (exhausted()) {
        if (now < _last + _config->timeout()) return false;
        // no answer over TCP in time: a failed attempt, while any is left
        if (_tcp > 0 && _attempts < _config->attempts()) return abandonTcp(*_truncated);
        return timeout();
    }
    size_t index = (_attempts % servers + (_config->rotate() ? _offset % servers : 0)) % servers;
    const Ip& server = _config->nameserver(index);
    Inbound* inbound = _core->datagram(server, _query);
    ++_attempts;
    _last = now;
    if (inbound) subscribe(inbound, server);
    return false;
}

void RemoteLookup::subscribe(Inbound* inbound, const Ip& server) {
    for (const auto& known : _subscriptions) {
        if (known.first == inbound && known.second.compare(server) == 0) return;
    }
    _subscriptions.emplace_back(inbound, server);
    inbound->subscribe(this, server, _query.id());
}

void RemoteLookup::leave() {
    // Leaving may close a socket or drop a connection, which does not touch
    // this lookup: the lists are emptied first.
    std::vector<std::pair<Inbound*, Ip>> subscriptions;
    subscriptions.swap(_subscriptions);
    for (const auto& subscription : subscriptions)
        subscription.first->unsubscribe(this, subscription.second, _query.id());
    if (Connecting* connecting = std::exchange(_connecting, nullptr)) connecting->unsubscribe(this);
}

void RemoteLookup::leave(const Ip& server) {
    auto others = std::stable_partition(_subscriptions.begin(), _subscriptions.end(),
                                        [&server](const std::pair<Inbound*, Ip>& subscription) {
                                            return subscription.second.compare(server) != 0;
                                        });
    std::vector<std::pair<Inbound*, Ip>> left(others, _subscriptions.end());
    _subscriptions.erase(others, _subscriptions.end());
    for (const auto& subscription : left)
        subscription.first->unsubscribe(this, subscription.second, _query.id());
}

bool RemoteLookup::timeout() {
    // a server that could not answer says more than silence
    if (_declined) {
        Response kept(*_declined);
        return report(kept);
    }
    leave();
    Handler* handler = done();
    handler->onTimeout(this);
    return true;
}

bool RemoteLookup::report(const Response& response) {
    if (finished()) return false;
    leave();
    Handler* handler = done();
    // The servers know nothing of a name the hosts file has: it exists,
    // without records of the type asked.
    if (response.rcode() == ns_r_nxdomain) {
        try {
            Request request(_query);
            Question question(request, 0);
            if (_config->exists(question.name())) {
                FakeResponse local(request, question);
                handler->onReceived(this, Response(local.data(), local.size()));
                return true;
            }
        } catch (const std::runtime_error&) {
        }
    }
    handler->onReceived(this, response);
    return true;
}

bool RemoteLookup::onReceived(const Ip& server, const Response& response) {
    if (finished() || !response.response() || !_query.matches(response)) return false;
    if (declines(response.rcode())) return _tcp > 0 ? abandonTcp(response) : declined(server, response);
    if (!response.truncated() || response.rcode() != 0 || _tcp > 0) return report(response);
    // too big for a datagram: the same server over TCP
    leave();
    _truncated = std::make_unique<Response>(response);
    _connecting = _core->connect(server, this);
    if (_connecting == nullptr) return abandonTcp(*_truncated);
    _tcp = 1;
    _last = Now();
    _core->requeue(this);
    return false;
}

bool RemoteLookup::declined(const Ip& server, const Response& response) {
    leave(server);
    return failed(response);
}

bool RemoteLookup::abandonTcp(const Response& answer) {
    // a copy: `answer` may be the kept truncated one, and the handler may
    // destroy this lookup while it reads the answer
    Response kept(answer);
    leave();
    _tcp = 0;
    return failed(kept);
}

bool RemoteLookup::failed(const Response& response) {
    // That attempt failed: the next one goes to the next server now rather
    // than after the interval, while any is left.
    _declined = std::make_unique<Response>(response);
    if (!exhausted()) {
        execute(Now());
        _core->requeue(this);
        return false;
    }
    // A server asked before may still answer; otherwise this answer stands.
    if (!_subscriptions.empty()) return false;
    return report(response);
}

bool RemoteLookup::onConnected(const Ip& server, Tcp* connection) {
    _connecting = nullptr;
    if (finished()) return false;
    Inbound* inbound = connection->send(_query);
    if (inbound == nullptr) return onLost(server);
    subscribe(inbound, server);
    return false;
}

bool RemoteLookup::onLost(const Ip& server) {
    if (finished()) return false;
    leave();
    if (_tcp <= reconnections) {
        _connecting = _core->connect(server, this);
        if (_connecting) {
            ++_tcp;
            return false;
        }
    }
    return abandonTcp(*_truncated);
}

bool RemoteLookup::onFailure(const Ip&) {
    _connecting = nullptr;
    if (finished()) return false;
    return abandonTcp(*_truncated);
}

void RemoteLookup::cancel() {
    if (finished()) return;
    leave();
    Handler* handler = done();
    handler->onCancelled(this);
}

} // namespace DNS
