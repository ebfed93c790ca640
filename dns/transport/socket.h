// What UDP sockets and TCP connections share: answers received in the I/O
// callback wait here until the scheduler's turn delivers them to the
// subscribed lookups, under a budget.
#pragma once

#include "dns/host/ip.h"
#include "dns/transport/inbound.h"
#include "dns/transport/watchable.h"

#include <cstddef>
#include <deque>
#include <string>
#include <utility>

namespace DNS {

class Socket : public Inbound, public Watchable {
public:
    class Handler {
    public:
        // the socket has something to deliver
        virtual void onActive(Socket* socket) = 0;

    protected:
        ~Handler() = default;
    };

    explicit Socket(Handler* handler) : _handler(handler) {}

    // Queues a message received from `sender` and tells the handler.
    void add(const Ip& sender, const unsigned char* data, size_t size);

    // Delivers queued answers; returns how many lookups they finished, at
    // most `maximum`. Each answer is offered to every lookup subscribed for
    // its id and sender until one takes it; what nobody takes is dropped,
    // as is anything that is not an answer.
    virtual size_t process(size_t maximum);
    // something waits to be delivered
    virtual bool active() const { return !_received.empty(); }

protected:
    // an answer for `id` arrived (before it is offered)
    virtual void onReceivedId(uint16_t) {}

    Handler* _handler;
    std::deque<std::pair<Ip, std::string>> _received;
};

} // namespace DNS
