// Reads UTF-7 (RFC 2152), or its IMAP form (RFC 3501), into UTF-8 a byte at
// a time, so that a piece may end anywhere. A code unit of a base64 run that
// is no character (a lone surrogate) is one invalid sequence and the run goes
// on; only a byte that is no base64 ends a run.
#pragma once

#include <cstddef>
#include <cstdint>

namespace Orvanta::Filter {

class Utf7 {
public:
    // Where the text goes, in order: UTF-8 text, and a mark for every
    // sequence that is no character. Each returns the bytes it wrote.
    class Output {
    public:
        virtual size_t text(const char* data, size_t size) = 0;
        virtual size_t invalid() = 0;

    protected:
        ~Output() = default;
    };

    // `strict` reads the text as RFC 2152 (RFC 3501 for the IMAP form) has
    // it: a shift that begins no run is one invalid sequence with the byte
    // after it, and so is a run the text ends with bits that make no whole
    // character or are not zero (in the IMAP form, any run without its "-").
    // Otherwise the reader drops them, as glibc's does.
    Utf7(bool imap, bool strict) : _imap(imap), _strict(strict) {}

    // Returns what `out` wrote.
    size_t decode(const char* data, size_t size, Output& out);
    // Ends the text: a shift character with nothing after it, or a high
    // surrogate still waiting for its low half, is one invalid sequence;
    // the bits left in a run are dropped unless strict. The reader is then
    // as new.
    size_t finish(Output& out);

private:
    class Writer;
    void unit(uint32_t value, Writer& writer);

    enum class Mode { direct, shift, run };

    bool _imap;
    bool _strict;
    Mode _mode = Mode::direct;
    // the bits of the run not yet part of a code unit, `_count` of them
    uint32_t _bits = 0;
    unsigned _count = 0;
    // a high surrogate waiting for its low half, or 0
    uint32_t _high = 0;
};

} // namespace Orvanta::Filter
