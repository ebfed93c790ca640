// One read from the client's standard input: a read interrupted by a signal
// is tried again, and a non-blocking input without data is no error. Reads
// grow with the message, so a large one takes few loop turns.
#pragma once

#include <cstddef>

namespace Orvanta::Filter {
class Contiguous;
class Filter;
} // namespace Orvanta::Filter

class Input {
public:
    // What read() returns when nothing can be read now (EAGAIN).
    static constexpr long later = -1;

    // The byte count, 0 at the end of input, or `later`; throws
    // std::runtime_error "Failed to read from stdin" for a real error.
    static long read(int fd, char* buffer, size_t size);

    // How much to ask for next when `held` bytes were read so far: as much
    // again, within 64 KiB and 4 MiB.
    static size_t pieceSize(size_t held);

    // One piece of the message read straight into its storage and given to
    // decoder, which passes it on to message in place; with no decoder the
    // bytes are kept as read. Returns what read() returns.
    static long readInto(int fd, Orvanta::Filter::Contiguous& message, Orvanta::Filter::Filter* decoder);
};
