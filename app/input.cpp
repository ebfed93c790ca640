#include "app/input.h"

#include "filter/contiguous.h"
#include "filter/filter.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <stdexcept>

long Input::read(int fd, char* buffer, size_t size) {
    ssize_t result;
    do
        result = ::read(fd, buffer, size);
    while (result < 0 && errno == EINTR);
    if (result >= 0) return static_cast<long>(result);
    if (errno == EAGAIN || errno == EWOULDBLOCK) return later;
    throw std::runtime_error("Failed to read from stdin");
}

size_t Input::pieceSize(size_t held) {
    return std::clamp<size_t>(held, 64 * 1024, 4 * 1024 * 1024);
}

long Input::readInto(int fd, Orvanta::Filter::Contiguous& message, Orvanta::Filter::Filter* decoder) {
    // A little slack keeps the decoder's output, which may gain a CR it
    // withheld from the piece before, behind its input.
    constexpr size_t slack = 16;
    size_t want = pieceSize(message.size());
    char* at = message.room(slack + want) + (decoder ? slack : 0);
    long size = read(fd, at, want);
    if (size <= 0) return size;
    if (decoder)
        decoder->append(at, static_cast<size_t>(size), false);
    else
        message.commit(static_cast<size_t>(size));
    return size;
}
