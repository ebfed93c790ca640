// Sink that keeps everything in one contiguous block, grown as needed, so
// the contents never have to be joined; it also lends its free room to
// reads straight into it, which a filter may then pass through in place.
#pragma once

#include "filter/result.h"

namespace Orvanta::Filter {

class Contiguous : public Result {
public:
    Contiguous() = default;
    Contiguous(const Contiguous&) = delete;
    Contiguous& operator=(const Contiguous&) = delete;
    ~Contiguous() override;

    // Copies the bytes to the end; bytes that lie in the free room (read
    // there through room()) are moved, so a filter that only drops bytes
    // can pass its input on in place. The persistent flag is not needed.
    using Result::append;
    size_t append(const char* data, size_t size, bool persistent) override;

    // At least size bytes of free room after the contents, valid until the
    // next call that grows the block; throws std::bad_alloc.
    char* room(size_t size);
    // size bytes written at the start of the room become contents.
    void commit(size_t size);
    // Forgets the contents and keeps the block, to be filled again.
    void clear() { _size = 0; }

    // The contents; null when nothing was ever kept.
    const char* data() const { return _data; }
    size_t size() const { return _size; }

private:
    // to room for size more bytes at least
    void grow(size_t size);
    // to exactly capacity bytes, keeping the contents
    void resize(size_t capacity);

    char* _data = nullptr;
    size_t _size = 0;
    size_t _capacity = 0;
    // the block is a mapping of its own, not the allocator's
    bool _mapped = false;
    // the bytes of a mapped block whose pages are known to be mapped
    size_t _mappedTo = 0;
};

} // namespace Orvanta::Filter
