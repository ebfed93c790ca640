// Decides in one pass which bare forms a text may be written in: dot-atom,
// atom, phrase, parameter value, or none (then it is quoted or encoded).
#pragma once

#include <cstddef>
#include <cstdint>

namespace Orvanta::Mime {

class Formatting {
public:
    Formatting(const char* data, size_t size);

    // narrows the mask by one byte's class
    void process(char byte);
    void add(unsigned long value) { _mask &= value; }

    bool ascii() const { return _mask & 1; }
    bool atom() const { return _mask & 2; }
    bool phrase() const { return _mask & 4; }
    bool param() const { return _mask & 8; }
    bool dottedatom() const { return _mask & 16; }

private:
    uint64_t _mask = 31;
};

} // namespace Orvanta::Mime
