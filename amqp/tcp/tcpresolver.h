// The first transport state of a connection: a worker thread resolves the
// broker's host name and connects a socket, then wakes the loop's thread
// through a pipe; the loop's thread hands the socket to the next state.
#pragma once

#include "amqp/tcp/connectionorder.h"
#include "amqp/tcp/pipe.h"
#include "amqp/tcp/tcpextstate.h"
#include "amqp/tcp/tcpoutbuffer.h"

#include <cstdint>
#include <string>
#include <thread>

struct addrinfo;

namespace AMQP {

class TcpResolver : public TcpExtState {
public:
    // timeout: seconds each address may take to connect (a non-positive one
    // counts as the default 5); throws when no pipe can be made
    TcpResolver(TcpParent* parent, std::string host, uint16_t port, bool secure, int timeout,
                const ConnectionOrder& order);
    // waits for the worker, which gives up a connect under way (a lookup
    // still runs its course); a socket it connected and nobody took is
    // closed without a report
    ~TcpResolver() override;

    size_t queued() const override { return _buffer.size(); }
    TcpState* process(const Monitor& monitor, int fd, int flags) override;
    // queued until the socket is connected
    void send(const char* data, size_t size) override { _buffer.add(data, size); }

private:
    // the worker's body
    void run();
    // the loop thread's part once the worker is done
    TcpState* proceed(const Monitor& monitor);
    // connects to one resolved address; the socket, or -1 with _error set
    int connect(const addrinfo* address);

    std::string _hostname;
    bool _secure;
    uint16_t _port;
    int _timeout;
    Pipe _pipe;
    // the other way: the loop's thread no longer waits for the worker
    Pipe _abandon;
    // the worker's results, read by the loop's thread after the join: the
    // connected socket (taken into the state's own descriptor then) and the
    // last failure's text
    int _connected = -1;
    std::string _error;
    TcpOutBuffer _buffer;
    std::thread _thread;
    ConnectionOrder _order;
};

} // namespace AMQP
