// The gzip form of some bytes, kept in a string. The compressed envelope
// derives from it first, so that the bytes exist before its AMQP envelope
// part points at them.
#pragma once

#include <cstddef>
#include <string>

namespace Orvanta::Rabbit::Compressed {

class Gzipped {
public:
    // Compresses the bytes into one gzip member (zlib's default level);
    // throws std::runtime_error when zlib is missing or fails.
    Gzipped(const char* data, size_t size);

    const std::string& gzipped() const { return _gzipped; }

protected:
    std::string _gzipped;
};

} // namespace Orvanta::Rabbit::Compressed
