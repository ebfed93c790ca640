// A comment of the header grammar, nested brackets and escapes included;
// matches nothing unless the text starts with '('.
#pragma once

#include <cstddef>

namespace Orvanta::Mime {

class Comment {
public:
    Comment(const char* data, size_t size);

    size_t consumed() const { return _consumed; }

private:
    size_t _consumed = 0;
};

} // namespace Orvanta::Mime
