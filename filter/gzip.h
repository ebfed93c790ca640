// Deflate-compresses what passes through it, as a gzip stream or as raw
// deflate data; the final block and trailer are written on destruction.
#pragma once

#include "filter/filter.h"

#include <zlib.h>

namespace Orvanta::Filter {

class Gzip : public Filter {
public:
    // Throws std::runtime_error when zlib cannot be opened or the stream
    // cannot be started.
    Gzip(bool raw, Result* next);
    // Finishes the stream unless finish() did; an error then has no one to
    // go to and leaves the stream unfinished.
    ~Gzip() override;
    Gzip(const Gzip&) = delete;
    Gzip& operator=(const Gzip&) = delete;

    using Filter::process;
    // Throws std::runtime_error with zlib's message when zlib fails; the
    // stream is then not finished on destruction.
    size_t process(const char* data, size_t size, bool persistent) override;
    // Pushes everything compressed so far, ending on a byte boundary; does
    // not flush the next stage.
    size_t flush() override;
    // Writes the last block and the gzip trailer and returns the bytes
    // pushed; throws std::runtime_error when zlib or the next stage fails.
    // Afterwards the stream takes no more input until reset().
    size_t finish();
    // Ends the current stream and starts a new one; false when that failed.
    bool reset(bool raw);

private:
    bool start(bool raw);
    [[noreturn]] void fail();

    z_stream _stream;
    // False once the stream was finished, failed or could not be
    // restarted: there is nothing left to finish.
    bool _open = false;
};

} // namespace Orvanta::Filter
