#include "amqp/tcp/tcpresolver.h"

#include "amqp/monitor.h"
#include "amqp/tcp/addressinfo.h"
#include "amqp/tcp/openssl.h"
#include "amqp/tcp/sslhandshake.h"
#include "amqp/tcp/tcpclosed.h"
#include "amqp/tcp/tcpconnected.h"
#include "amqp/tcp/tcpevents.h"
#include "amqp/tcp/tcpparent.h"

#include <cerrno>
#include <climits>
#include <cstring>
#include <fcntl.h>
#include <functional>
#include <memory>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <stdexcept>
#include <sys/socket.h>
#include <system_error>
#include <unistd.h>

namespace AMQP {

TcpResolver::TcpResolver(TcpParent* parent, std::string host, uint16_t port, bool secure, int timeout,
                         const ConnectionOrder& order)
    : TcpExtState(parent), _hostname(std::move(host)), _secure(secure), _port(port),
      // a limit of 0 or below would make poll wait without end
      _timeout(timeout > 0 ? timeout : 5), _order(order) {
    _parent->onIdle(this, _pipe.in(), readable);
    _thread = std::thread(&TcpResolver::run, this);
}

TcpResolver::~TcpResolver() {
    // the handler may destroy the connection here: a socket still held is
    // then closed unreported
    _parent->onIdle(this, _pipe.in(), 0);
    // nobody waits for a connect still under way: it is given up, so that
    // closing (a signal, the owner's end) is not held up for its time limit
    _abandon.notify();
    if (_thread.joinable()) _thread.join();
    // a socket the worker connected but the loop never took: the handler
    // did not hear of it, so it is closed without a report
    if (_connected >= 0) ::close(_connected);
}

int TcpResolver::connect(const addrinfo* address) {
    int fd = socket(address->ai_family, address->ai_socktype, address->ai_protocol);
    if (fd < 0) return -1;
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);
    fcntl(fd, F_SETFD, fcntl(fd, F_GETFD) | FD_CLOEXEC);
    int on = 1;
    setsockopt(fd, SOL_SOCKET, SO_KEEPALIVE, &on, sizeof on);
    if (::connect(fd, address->ai_addr, address->ai_addrlen) == 0) return fd;
    if (errno != EINPROGRESS) {
        // refused or unreachable at once: no use waiting for it
        _error = strerror(errno);
        ::close(fd);
        return -1;
    }
    long long limit = static_cast<long long>(_timeout) * 1000;
    pollfd wanted[2] = {{fd, POLLOUT, 0}, {_abandon.in(), POLLIN, 0}};
    int result;
    do {
        wanted[0].revents = wanted[1].revents = 0;
        result = poll(wanted, 2, static_cast<int>(limit < INT_MAX ? limit : INT_MAX));
    } while (result < 0 && errno == EINTR);
    if (result == 0) {
        _error = "connection timed out";
    } else if (result < 0) {
        _error = strerror(errno);
    } else if (wanted[0].revents == 0) {
        _error = "connection attempt abandoned";
    } else {
        int error = 0;
        socklen_t length = sizeof error;
        if (getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &length) != 0) error = errno;
        if (error == 0) return fd;
        _error = strerror(error);
    }
    ::close(fd);
    return -1;
}

void TcpResolver::run() {
    try {
        if (_secure && !OpenSSL::valid()) {
            // libssl is looked for only among the symbols the process has
            throw std::runtime_error("Secure connection cannot be established: libssl.so cannot be loaded");
        }
        AddressInfo addresses(_hostname.c_str(), _port, _order);
        for (size_t i = 0; i < addresses.size() && _connected < 0; ++i) {
            _connected = connect(addresses[static_cast<int>(i)]);
        }
        if (_connected >= 0) {
            int on = 1;
            setsockopt(_connected, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
        }
    } catch (const std::runtime_error& error) {
        _error = error.what();
    }
    if (!_pipe.notify()) _error = strerror(errno);
}

TcpState* TcpResolver::process(const Monitor& monitor, int fd, int flags) {
    if (fd != _pipe.in() || !(flags & readable)) return this;
    return proceed(monitor);
}

TcpState* TcpResolver::proceed(const Monitor& monitor) {
    Monitor self(this);
    std::string failure;
    try {
        _thread.join();
        _fd = _connected;
        _connected = -1;
        if (_fd < 0) {
            failure = _error;
        } else {
            _parent->onConnected(this);
            if (!monitor.valid() || !self.valid()) return nullptr;
            // the handler's onSecuring or its first monitor() may end the
            // connection
            if (_secure) return follow<SslHandshake>(monitor, _hostname, std::move(_buffer));
            return follow<TcpConnected>(monitor, std::move(_buffer));
        }
    } catch (const std::system_error& error) {
        failure = error.what();
    } catch (const std::runtime_error& error) {
        failure = error.what();
    } catch (const std::bad_function_call& missing) {
        // a libssl without an entry point the handshake needs
        failure = missing.what();
    }
    if (!monitor.valid() || !self.valid()) return nullptr;
    // a socket that came back from a TLS state that could not be built is
    // released (reported lost) after the failure
    _parent->onError(this, failure.c_str(), _fd >= 0);
    if (!monitor.valid() || !self.valid()) return nullptr;
    return new TcpClosed(this);
}

} // namespace AMQP
