// The sockets of one address family: UDP sockets for queries, and TCP
// connections shared per name server for answers too big for a datagram.
#pragma once

#include "dns/transport/loop.h"
#include "dns/transport/tcp.h"
#include "dns/transport/udp.h"
#include "dns/transport/watchable.h"

#include <list>
#include <memory>
#include <vector>

namespace DNS {

class Sockets : public Watchable, public Tcp::Handler {
public:
    class Handler {
    public:
        // a socket has something to deliver
        virtual void onActive(Sockets* sockets) = 0;

    protected:
        ~Handler() = default;
    };

    Sockets(Loop* loop, Handler* handler);
    Sockets(const Sockets&) = delete;
    Sockets& operator=(const Sockets&) = delete;

    // Through the UDP socket open for that server, else a closed one, else
    // a new one: one socket per server in use. The socket to subscribe on,
    // or null.
    Inbound* datagram(const Ip& server, const Query& query);
    // A connection to the server that is not lost or failed, or a new one;
    // null when none can be started.
    Connecting* connect(const Ip& server, Connector* connector);
    // Lets every socket deliver, up to `budget` finished lookups in all.
    size_t deliver(size_t budget);
    // something waits to be delivered
    bool active() const;
    // closes the UDP sockets nobody waits on
    void sweep();
    // grows the UDP sockets to `count`
    void sockets(size_t count);

    void onActive(Socket* socket) override;
    void onUnused(Tcp* connection) override;

private:
    Loop* _loop;
    Handler* _handler;
    std::list<Udp> _udp;
    std::vector<std::shared_ptr<Tcp>> _tcp;
};

} // namespace DNS
