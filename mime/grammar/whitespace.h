// A run of white space, optionally with comments between (CFWS).
#pragma once

#include <cstddef>

namespace Orvanta::Mime {

class Whitespace {
public:
    Whitespace(const char* data, size_t size, bool comments);

    size_t consumed() const { return _consumed; }

private:
    size_t _consumed = 0;
};

} // namespace Orvanta::Mime
