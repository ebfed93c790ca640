#include "filter/memory.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace Orvanta::Filter {

Memory::Buffer::Buffer(size_t capacity, const char* data, size_t size)
    : _capacity(capacity), _data(new char[capacity]), _size(size) {
    if (size > 0) std::memcpy(_data, data, size);
}

Memory::Buffer::Buffer(const char* data, size_t size)
    : _capacity(0), _data(const_cast<char*>(data)), _size(size) {}

Memory::Buffer::Buffer(Buffer&& other) noexcept
    : _capacity(std::exchange(other._capacity, 0)), _data(std::exchange(other._data, nullptr)),
      _size(std::exchange(other._size, 0)) {}

Memory::Buffer& Memory::Buffer::operator=(Buffer&& other) noexcept {
    if (this != &other) {
        if (_capacity != 0) delete[] _data;
        _capacity = std::exchange(other._capacity, 0);
        _data = std::exchange(other._data, nullptr);
        _size = std::exchange(other._size, 0);
    }
    return *this;
}

Memory::Buffer::~Buffer() {
    if (_capacity != 0) delete[] _data;
}

void Memory::Buffer::fill(const char* data, size_t size) {
    if (size == 0) return;
    std::memcpy(_data + _size, data, size);
    _size += size;
}

void Memory::addOwned(const char* data, size_t size) {
    // Slack so that many small pushes share one block.
    _blocks.emplace_back(std::max<size_t>(size + 128, 512), data, size);
}

size_t Memory::append(const char* data, size_t size, bool persistent) {
    _total += size;
    if (_blocks.empty()) {
        if (persistent)
            _blocks.emplace_back(data, size);
        else
            addOwned(data, size);
        return size;
    }
    Buffer& last = _blocks.back();
    if (last.capacity() != 0) {
        if (last.room() < size) {
            if (persistent)
                _blocks.emplace_back(data, size);
            else
                addOwned(data, size);
        } else if (size > 128 && persistent) {
            _blocks.emplace_back(data, size);
        } else {
            last.fill(data, size);
        }
        return size;
    }
    if (!persistent)
        addOwned(data, size);
    else if (data == last.data() + last.size())
        last.extend(size);
    else
        _blocks.emplace_back(data, size);
    return size;
}

void Memory::collapse() const {
    if (_blocks.size() < 2) return;
    // A block of capacity 0 would count as a reference and leak; only
    // reachable when every block is empty.
    Buffer joined(std::max<size_t>(_total, 1), nullptr, 0);
    for (const Buffer& block : _blocks)
        joined.fill(block.data(), block.size());
    _blocks.clear();
    _blocks.push_back(std::move(joined));
}

const char* Memory::data() const {
    collapse();
    return _blocks.empty() ? nullptr : _blocks.front().data();
}

} // namespace Orvanta::Filter
