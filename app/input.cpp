#include "app/input.h"

#include <unistd.h>

#include <algorithm>
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

size_t Input::pieceSize(size_t held) {
    return std::clamp<size_t>(held, 64 * 1024, 4 * 1024 * 1024);
}
