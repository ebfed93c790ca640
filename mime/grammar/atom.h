// An atom of the header grammar, optionally with the white space and comments
// around it. Dots are not atom bytes: callers assemble dot-atoms.
#pragma once

#include <cstddef>
#include <string>

namespace Orvanta::Mime {

class Atom {
public:
    Atom(const char* data, size_t size, bool cfws);

    // the atom itself, without the blanks and comments around it
    const char* begin() const { return _data + _leading; }
    size_t length() const { return _consumed - _leading - _trailing; }
    std::string text() const { return std::string(begin(), length()); }
    bool empty() const { return length() == 0; }

    size_t consumed() const { return _consumed; }
    size_t leading() const { return _leading; }
    size_t trailing() const { return _trailing; }
    bool ascii() const { return _ascii; }

private:
    const char* _data;
    size_t _consumed = 0;
    size_t _leading = 0;
    size_t _trailing = 0;
    bool _ascii = true;
};

} // namespace Orvanta::Mime
