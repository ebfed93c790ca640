// A text supplied by the program itself rather than parsed from a message.
#pragma once

#include <cstddef>

namespace Orvanta::Mime {

class Internal {
public:
    Internal(const char* data, size_t size) : _data(data), _size(size) {}

    const char* data() const { return _data; }
    size_t size() const { return _size; }

private:
    const char* _data;
    size_t _size;
};

} // namespace Orvanta::Mime
