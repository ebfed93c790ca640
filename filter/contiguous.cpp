#include "filter/contiguous.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>

#include <sys/mman.h>

namespace Orvanta::Filter {

namespace {

// the first block; later ones double
constexpr size_t firstBlock = 64 * 1024;
// From here on the block is mapped by itself: it grows by remapping, which
// never copies the bytes (and does not depend on the allocator's choices).
constexpr size_t mappedBlock = 4 << 20;
// pieces from this size on have their pages mapped ahead
constexpr size_t populated = 64 * 1024;

} // namespace

Contiguous::~Contiguous() {
    if (_mapped)
        munmap(_data, _capacity);
    else
        std::free(_data);
}

void Contiguous::resize(size_t capacity) {
    if (capacity < mappedBlock) {
        char* grown = static_cast<char*>(std::realloc(_data, capacity));
        if (grown == nullptr) throw std::bad_alloc();
        _data = grown;
        _capacity = capacity;
        return;
    }
    void* grown = _mapped
                      ? mremap(_data, _capacity, capacity, MREMAP_MAYMOVE)
                      : mmap(nullptr, capacity, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (grown == MAP_FAILED) throw std::bad_alloc();
    if (!_mapped) {
        if (_size > 0) std::memcpy(grown, _data, _size);
        std::free(_data);
        _mapped = true;
    }
    _data = static_cast<char*>(grown);
    _capacity = capacity;
}

char* Contiguous::room(size_t size) {
    if (_capacity - _size < size) grow(size);
#ifdef MADV_POPULATE_WRITE
    // A large piece is about to be written (a read): its pages are mapped in
    // one call instead of one fault each. Only advice; older kernels refuse.
    // Each page once: _mappedTo is where the pages mapped so far end.
    if (_mapped && size >= populated && _size + size > _mappedTo) {
        size_t from = std::max(_size, _mappedTo) / 4096 * 4096;
        size_t to = std::min((_size + size + 4095) / 4096 * 4096, _capacity);
        if (madvise(_data + from, to - from, MADV_POPULATE_WRITE) == 0) _mappedTo = to;
    }
#endif
    return _data + _size;
}

void Contiguous::grow(size_t size) {
    if (size > SIZE_MAX / 4 - _size) throw std::bad_alloc();
    size_t capacity = std::max({_capacity * 2, _size + size, firstBlock});
    // mapped blocks are whole pages
    if (capacity >= mappedBlock) capacity = (capacity + 4095) / 4096 * 4096;
    resize(capacity);
}

void Contiguous::commit(size_t size) {
    _size += std::min(size, _capacity - _size);
}

size_t Contiguous::append(const char* data, size_t size, bool) {
    if (size == 0) return 0;
    // Bytes from our own room: their position is an offset that survives
    // the block moving, and they only ever move towards the contents.
    auto at = reinterpret_cast<std::uintptr_t>(data);
    auto start = reinterpret_cast<std::uintptr_t>(_data);
    if (_data != nullptr && at >= start + _size && at < start + _capacity) {
        size = std::min<size_t>(size, start + _capacity - at);
        std::memmove(_data + _size, data, size);
    } else {
        std::memcpy(room(size), data, size);
    }
    _size += size;
    return size;
}

} // namespace Orvanta::Filter
