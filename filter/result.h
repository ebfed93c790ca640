// The sink end of a push chain: every stage accepts bytes and a flush, and
// reports how many bytes reached the final sink.
#pragma once

#include <cstddef>
#include <iosfwd>
#include <string>

namespace Orvanta::Filter {

class Result {
public:
    virtual ~Result() = default;

    // persistent: the bytes stay valid and unchanged until the final sink's
    // contents have been consumed, so a sink may keep a pointer to them.
    virtual size_t append(const char* data, size_t size, bool persistent) = 0;
    virtual size_t append(const std::string& text);
    // Reads the stream to its end in pieces of 4096 bytes.
    virtual size_t append(std::istream& stream);
    virtual size_t append(char byte);
    virtual size_t flush();

    // A two-argument call with a pointer would otherwise be easy to write by
    // mistake for the three-argument one; make it a compile error.
    template <typename T>
    size_t append(const char*, T) = delete;
};

} // namespace Orvanta::Filter
