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

} // namespace

Contiguous::~Contiguous() {
    if (_mapped)
        munmap(_data, _capacity);
    else
        std::free(_data);
}

void Contiguous::grow(size_t capacity) {
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
#ifdef MADV_HUGEPAGE
    // Filled once, front to back: in pages of 2 MB a large message costs a
    // few hundred page faults instead of tens of thousands. Only advice.
    madvise(grown, capacity, MADV_HUGEPAGE);
#endif
    if (!_mapped) {
        if (_size > 0) std::memcpy(grown, _data, _size);
        std::free(_data);
        _mapped = true;
    }
    _data = static_cast<char*>(grown);
    _capacity = capacity;
}

char* Contiguous::room(size_t size) {
    if (_capacity - _size >= size) return _data + _size;
    if (size > SIZE_MAX / 4 - _size) throw std::bad_alloc();
    size_t capacity = std::max({_capacity * 2, _size + size, firstBlock});
    // mapped blocks are whole pages
    if (capacity >= mappedBlock) capacity = (capacity + 4095) / 4096 * 4096;
    grow(capacity);
    return _data + _size;
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
