// A view of bytes (pointer and length) that belong to someone else: a message
// buffer or a text kept alive elsewhere. Not zero-terminated.
#pragma once

#include <cstddef>

namespace Orvanta::Mime {

class String {
public:
    String() = default;
    String(const char* data, size_t size) : _data(data), _size(size) {}
    virtual ~String() = default;

    const char* data() const { return _data; }
    size_t size() const { return _size; }
    bool empty() const { return _size == 0; }

protected:
    const char* _data = nullptr;
    size_t _size = 0;
};

} // namespace Orvanta::Mime
