#include "app/input.h"

#include <unistd.h>

#include <cerrno>
#include <stdexcept>

long Input::read(int fd, char* buffer, size_t size) {
    ssize_t result;
    do result = ::read(fd, buffer, size);
    while (result < 0 && errno == EINTR);
    if (result >= 0) return static_cast<long>(result);
    if (errno == EAGAIN || errno == EWOULDBLOCK) return later;
    throw std::runtime_error("Failed to read from stdin");
}
