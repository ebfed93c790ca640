// A run of white space, optionally with comments between (CFWS).
#pragma once

#include <cstddef>

namespace Orvanta::Mime {

class Whitespace {
public:
    Whitespace(char const* data, size_t size, bool comments);

    size_t consumed() const { return _consumed; }

    // After the word of a structured value (a media type, a disposition), at
    // a blank or '(': skips blanks and comments and the ';' that must follow
    // them unless the text ends there. Returns the position after them;
    // throws std::runtime_error with `error` when something else follows or
    // a comment is broken.
    static size_t beforeSemicolon(char const* data, size_t size, size_t at, char const* error);

private:
    size_t _consumed = 0;
};

} // namespace Orvanta::Mime
