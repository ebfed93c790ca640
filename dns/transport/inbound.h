// A source of answers that lookups subscribe to by (query id, server), and
// the interface of such a subscriber.
#pragma once

#include "dns/host/ip.h"

#include <cstdint>
#include <functional>
#include <set>

namespace DNS {

class Response;

class Processor {
public:
    // An answer from `server` for the subscribed id; true when it finished
    // the lookup (false: not an answer to this lookup's question).
    virtual bool onReceived(const Ip& server, const Response& response) = 0;
    // The connection the subscription was on is gone; true when that
    // finished the lookup.
    virtual bool onLost(const Ip& server) = 0;

protected:
    ~Processor() = default;
};

class Inbound {
public:
    virtual ~Inbound() = default;

    void subscribe(Processor* processor, const Ip& server, uint16_t id);
    // Calls reset() once nobody is left.
    void unsubscribe(Processor* processor, const Ip& server, uint16_t id);
    size_t subscribers() const { return _subscriptions.size(); }

protected:
    struct Subscription {
        uint16_t id;
        Ip server;
        Processor* processor;
        bool operator<(const Subscription& that) const {
            if (id != that.id) return id < that.id;
            int order = server.compare(that.server);
            if (order != 0) return order < 0;
            return std::less<Processor*>()(processor, that.processor);
        }
    };
    // nobody listens any more
    virtual void reset() = 0;

    std::set<Subscription> _subscriptions;
};

} // namespace DNS
