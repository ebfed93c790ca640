// A frame serialised into memory of its own, for frames that must wait
// before they can be written.
#pragma once

#include <cstddef>
#include <cstdlib>
#include <memory>

#include "amqp/buffers/outbuffer.h"

namespace AMQP {

class Frame;

class CopiedBuffer : public OutBuffer {
public:
    // allocates exactly the frame's totalSize() and writes the frame (and
    // its end marker) into it; throws std::length_error when the frame
    // writes more or fewer bytes than it announced
    explicit CopiedBuffer(const Frame& frame);

    // the source is left empty
    CopiedBuffer(CopiedBuffer&& other) noexcept;
    CopiedBuffer& operator=(CopiedBuffer&& other) noexcept;
    CopiedBuffer(const CopiedBuffer&) = delete;
    CopiedBuffer& operator=(const CopiedBuffer&) = delete;
    ~CopiedBuffer() override = default;

    // throws std::length_error rather than write past the capacity
    void append(const void* data, size_t size) override;

    const char* data() const { return _buffer.get(); }
    size_t size() const { return _size; }
    bool synchronous() const { return _synchronous; }

private:
    struct Free {
        void operator()(char* block) const { std::free(block); }
    };

    size_t _capacity;
    std::unique_ptr<char, Free> _buffer;
    size_t _size = 0;
    bool _synchronous;
};

} // namespace AMQP
