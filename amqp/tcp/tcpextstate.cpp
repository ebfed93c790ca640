#include "amqp/tcp/tcpextstate.h"

#include "amqp/tcp/tcpparent.h"

#include <unistd.h>

namespace AMQP {

TcpExtState::TcpExtState(TcpParent* parent)
    : TcpState(parent), _previous(nullptr), _standing(nullptr), _owner(parent) {}

TcpExtState::TcpExtState(TcpExtState* previous)
    : TcpState(previous), _fd(previous->_fd), _previous(previous), _standing(previous), _owner(_parent),
      _lent(true) {
    previous->_fd = -1;
}

TcpExtState::~TcpExtState() {
    if (_lent && _fd >= 0) {
        if (standing()) {
            // the owner of the previous state reports why this one failed,
            // and releases the socket after that
            _previous->_fd = _fd;
        } else {
            // the connection detached already: nobody is to hear of it
            ::close(_fd);
        }
        _fd = -1;
    }
    cleanup();
}

void TcpExtState::cleanup() {
    if (_fd < 0) return;
    int fd = _fd;
    _fd = -1;
    if (reporting()) _parent->onIdle(this, fd, 0);
    ::close(fd);
    if (reporting()) _parent->onLost(this);
}

} // namespace AMQP
