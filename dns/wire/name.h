// Domain names between presentation text and wire form: encoding (with
// compression against names already in the message), expansion, and
// comparison without regard to case.
#pragma once

#include <cstddef>
#include <string>

namespace DNS {

// The wire form of `name` ("a.b", "a.b." or "." / "" for the root; "\."
// and "\DDD" escapes) into `out`; the bytes written, or -1 when the name is
// malformed or does not fit in `space`.
int encodeName(const char* name, unsigned char* out, size_t space);

// Orders two names in presentation form by their wire form, ignoring ASCII
// case and a final dot: a byte written as such and its "\DDD" escape are
// one byte. Negative, 0 or positive as a sorts before, with or after b.
int comparename(const char* a, const char* b);

// Whether two names in presentation form are the same by that order.
bool samename(const char* a, const char* b);

// Whether the name at `position` of the message (compression pointers
// followed, backwards only) is the uncompressed wire name `wire`, ignoring
// case. False for a malformed name.
bool samename(const unsigned char* message, size_t size, size_t position, const unsigned char* wire);

// The compression context of one message being written: names written
// through it can be pointed at by later names.
class Compressor {
public:
    explicit Compressor(unsigned char* message) : _message(message) {}

    // Writes `name` at `destination` (inside the message), pointing at an
    // earlier copy of its longest known suffix; the bytes written, or -1.
    int add(const char* name, unsigned char* destination, size_t space);
    // Forgets the names written at or after `offset` (they were taken back).
    void forget(size_t offset);

private:
    bool same(size_t position, const unsigned char* wire) const;

    unsigned char* _message;
    // message offsets of names (and their suffixes) written so far
    size_t _known[20];
    size_t _count = 0;
};

// A name expanded from a message at a position.
class Decompressed {
public:
    // std::runtime_error "failed to decompress name" on a bad name
    Decompressed(const unsigned char* message, const unsigned char* end, const unsigned char* position);

    operator const char*() const { return _name.c_str(); }
    // message bytes the name took at its position
    size_t consumed() const { return _consumed; }

private:
    std::string _name;
    size_t _consumed;
};

} // namespace DNS
