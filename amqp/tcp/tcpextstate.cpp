#include "amqp/tcp/tcpextstate.h"

#include "amqp/tcp/tcpparent.h"

#include <unistd.h>

namespace AMQP {

TcpExtState::TcpExtState(TcpExtState* previous) : TcpState(previous), _fd(previous->_fd) {
    previous->_fd = -1;
}

void TcpExtState::handBack(TcpExtState* previous) {
    previous->_fd = _fd;
    _fd = -1;
}

void TcpExtState::cleanup() {
    if (_fd < 0) return;
    int fd = _fd;
    _fd = -1;
    _parent->onIdle(this, fd, 0);
    ::close(fd);
    _parent->onLost(this);
}

} // namespace AMQP
