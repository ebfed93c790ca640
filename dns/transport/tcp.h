// One TCP connection to a name server, shared by the lookups that moved to
// TCP after a truncated answer. Ids stay unique on it: a query whose id is
// still outstanding waits until that answer has come. Writes are buffered
// and go out as the socket takes them, so the loop never blocks.
#pragma once

#include "dns/transport/loop.h"
#include "dns/transport/socket.h"

#include <cstdint>
#include <deque>
#include <map>
#include <set>
#include <string>

namespace DNS {

class Query;
class Tcp;

// A lookup waiting for a connection.
class Connector {
public:
    // true when it finished the lookup
    virtual bool onConnected(const Ip& server, Tcp* connection) = 0;
    virtual bool onFailure(const Ip& server) = 0;

protected:
    ~Connector() = default;
};

// What a waiting connector may do with the connection attempt.
class Connecting {
public:
    virtual void unsubscribe(Connector* connector) = 0;

protected:
    ~Connecting() = default;
};

class Tcp : public Socket, public Monitor, public Connecting {
public:
    class Handler : public Socket::Handler {
    public:
        // nobody uses the connection any more: it may be dropped
        virtual void onUnused(Tcp* connection) = 0;

    protected:
        ~Handler() = default;
    };

    enum State { connecting = 0, failed = 1, connected = 2, lost = 3 };

    // Starts connecting to port 53 of the server; std::runtime_error "failed
    // to create socket" or "failed to connect".
    Tcp(Loop* loop, const Ip& server, Handler* handler);
    Tcp(const Tcp&) = delete;
    Tcp& operator=(const Tcp&) = delete;
    ~Tcp() override;

    // The connection to subscribe on, or null when it failed.
    Inbound* send(const Query& query);
    // Waits for the connection's outcome; null when it failed or was lost.
    Connecting* subscribe(Connector* connector);
    void unsubscribe(Connector* connector) override;

    size_t process(size_t maximum) override;
    bool active() const override;
    void notify() override;

    const Ip& ip() const { return _ip; }
    State state() const { return _state; }
    int error() const;

private:
    void onReceivedId(uint16_t id) override;
    void reset() override;
    bool write(const Query& query);
    // sends what the socket takes; false when the connection broke
    bool flush();
    void watch();
    void fail(State state);

    Loop* _loop;
    Handler* _tcpHandler;
    Ip _ip;
    int _fd = -1;
    void* _watcher = nullptr;
    int _events = 0;
    State _state = connecting;
    // the message being read, its 2-byte length prefix included
    std::string _input;
    std::string _output;
    std::set<uint16_t> _outstanding;
    std::multimap<uint16_t, std::string> _pending;
    std::deque<Connector*> _connectors;
};

} // namespace DNS
