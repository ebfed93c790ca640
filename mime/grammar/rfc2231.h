// The RFC 2231 suffix of a parameter name, the bytes after the first '*' up
// to the '=': a section number, an extended-value marker, or both.
#pragma once

#include <cstddef>

namespace Orvanta::Mime {

class Rfc2231 {
public:
    // Larger section numbers are held at this value instead of wrapping.
    static constexpr size_t maximumSection = 100000;

    Rfc2231(const char* data, size_t size);

    size_t consumed() const { return _consumed; }
    bool sectioned() const { return _sectioned; }
    bool extended() const { return _extended; }
    size_t section() const { return _section; }

private:
    size_t _consumed = 0;
    bool _sectioned = false;
    bool _extended = true;
    size_t _section = 0;
};

} // namespace Orvanta::Mime
