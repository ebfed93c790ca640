#include "filter/contiguous.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>

namespace Orvanta::Filter {

namespace {

// the first block; later ones double, so a message of n bytes is copied at
// most once over (large blocks grow by remapping, without a copy at all)
constexpr size_t firstBlock = 64 * 1024;

} // namespace

Contiguous::~Contiguous() {
    std::free(_data);
}

char* Contiguous::room(size_t size) {
    if (_capacity - _size >= size) return _data + _size;
    if (size > SIZE_MAX / 2 - _size) throw std::bad_alloc();
    size_t capacity = std::max({_capacity * 2, _size + size, firstBlock});
    char* grown = static_cast<char*>(std::realloc(_data, capacity));
    if (grown == nullptr) throw std::bad_alloc();
    _data = grown;
    _capacity = capacity;
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
