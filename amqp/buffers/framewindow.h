// A view of the first bytes of another Buffer, its length narrowed as more is
// known: a received frame reads its arguments through one, so that nothing
// past the frame's own payload can be read as part of it.
#pragma once

#include <cstddef>

#include "amqp/buffers/buffer.h"

namespace AMQP {

class FrameWindow : public Buffer {
public:
    // the whole of the other buffer, which must outlive the window
    explicit FrameWindow(const Buffer& buffer) : _source(buffer), _size(buffer.size()) {}
    ~FrameWindow() override = default;

    // narrows the window to its first size bytes; it never widens
    void limit(size_t size) {
        if (size < _size) _size = size;
    }

    size_t size() const override { return _size; }
    char byte(size_t pos) const override { return _source.byte(pos); }
    const char* data(size_t pos, size_t size) const override { return _source.data(pos, size); }
    void copy(size_t pos, size_t size, void* out) const override { _source.copy(pos, size, out); }

private:
    const Buffer& _source;
    size_t _size;
};

} // namespace AMQP
