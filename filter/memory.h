// Sink that collects bytes in a list of blocks, referring to persistent
// input instead of copying it where that saves work.
#pragma once

#include "filter/result.h"

#include <vector>

namespace Orvanta::Filter {

class Memory : public Result {
public:
    // One block: owned storage (capacity > 0) or a reference to bytes that
    // someone else keeps alive (capacity 0).
    class Buffer {
    public:
        // A block owning `capacity` bytes of fresh storage, holding `size`
        // bytes copied from `data`.
        Buffer(size_t capacity, const char* data, size_t size);
        // A block referring to bytes it does not own.
        Buffer(const char* data, size_t size);
        Buffer(Buffer&& other) noexcept;
        Buffer& operator=(Buffer&& other) noexcept;
        Buffer(const Buffer&) = delete;
        Buffer& operator=(const Buffer&) = delete;
        virtual ~Buffer();

        size_t capacity() const { return _capacity; }
        const char* data() const { return _data; }
        size_t size() const { return _size; }
        size_t room() const { return _capacity - _size; }

        // Copies into the free room; the caller checked that it fits.
        void fill(const char* data, size_t size);
        // Extends a referencing block over bytes that continue it.
        void extend(size_t size) { _size += size; }

    private:
        size_t _capacity;
        char* _data;
        size_t _size;
    };

    using Result::append;
    size_t append(const char* data, size_t size, bool persistent) override;

    // Joins all blocks into one owned block (a single block stays as it is).
    void collapse() const;
    // The contiguous contents (collapsing first); null when nothing was
    // ever appended.
    const char* data() const;
    size_t size() const { return _total; }
    const std::vector<Buffer>& blocks() const { return _blocks; }

private:
    void addOwned(const char* data, size_t size);

    mutable std::vector<Buffer> _blocks;
    size_t _total = 0;
};

} // namespace Orvanta::Filter
