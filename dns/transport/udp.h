// A UDP socket for the queries to one name server, connected to it: opened
// on demand and closed once no lookup waits on it at the end of the
// scheduler's turn (a lookup started in the same turn keeps it), so that
// each busy spell gets a fresh source port.
#pragma once

#include "dns/transport/loop.h"
#include "dns/transport/socket.h"

#include <cstddef>

namespace DNS {

class Query;

class Udp : public Socket, public Monitor {
public:
    Udp(Loop* loop, Socket::Handler* handler) : Socket(handler), _loop(loop) {}
    Udp(const Udp&) = delete;
    Udp& operator=(const Udp&) = delete;
    ~Udp() override { close(); }

    // false when no socket could be made
    bool open(int version);
    // Sends to port 53 of the server (opening the socket for it when
    // closed); the socket to subscribe on, or null, also when the socket is
    // open for another server.
    Inbound* send(const Ip& server, const Query& query);
    // open for that server
    bool serves(const Ip& server) const;
    void close();
    bool valid() const { return _fd >= 0; }
    // open, and nobody waits on it
    bool idle() const { return valid() && subscribers() == 0; }

    void buffersize(size_t size) { _buffersize = size; }
    size_t buffersize() const { return _buffersize; }

    // Reads what arrived, a bounded number of datagrams per event; only
    // datagrams from port 53 are kept.
    void notify() override;

private:
    // the scheduler's next turn closes it unless a lookup took it again
    void reset() override { _handler->onActive(this); }

    Loop* _loop;
    void* _watcher = nullptr;
    int _fd = -1;
    int _version = 0;
    // the server it is connected to while open
    Ip _peer{in_addr{}};
    size_t _buffersize = 0;
};

} // namespace DNS
