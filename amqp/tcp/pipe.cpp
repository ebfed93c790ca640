#include "amqp/tcp/pipe.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <stdexcept>
#include <unistd.h>

namespace AMQP {

Pipe::Pipe() {
    if (pipe2(_fds, O_CLOEXEC) != 0) throw std::runtime_error(strerror(errno));
}

Pipe::~Pipe() {
    close(_fds[0]);
    close(_fds[1]);
}

bool Pipe::notify() {
    char byte = 0;
    return write(_fds[1], &byte, 1) == 1;
}

} // namespace AMQP
