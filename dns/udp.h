// A UDP socket for queries to name servers of one address family, opened
// on demand and closed when no lookup waits on it, so that each busy spell
// gets a fresh source port.
#pragma once

#include "dns/loop.h"
#include "dns/socket.h"

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
    // Sends to port 53 of the server; the socket to subscribe on, or null.
    Inbound* send(const Ip& server, const Query& query);
    void close();
    bool valid() const { return _fd >= 0; }

    void buffersize(size_t size) { _buffersize = size; }
    size_t buffersize() const { return _buffersize; }

    // Reads what arrived, a bounded number of datagrams per event; only
    // datagrams from port 53 are kept.
    void notify() override;

private:
    void reset() override { close(); }

    Loop* _loop;
    void* _watcher = nullptr;
    int _fd = -1;
    int _version = 0;
    size_t _buffersize = 0;
};

} // namespace DNS
