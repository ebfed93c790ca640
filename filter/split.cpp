#include "filter/split.h"

#include <stdexcept>

namespace Orvanta::Filter {

Split::Split(Result* next, size_t width, std::string separator)
    : Filter(next), _width(width), _separator(std::move(separator)) {
    if (width == 0) throw std::runtime_error("split width must not be 0");
}

size_t Split::process(const char* data, size_t size, bool persistent) {
    if (size == 0) return 0;
    size_t total = 0;
    if (_column == _width) {
        total += next->append(_separator.data(), _separator.size(), false);
        _column = 0;
    }
    while (_column + size > _width) {
        size_t fill = _width - _column;
        total += next->append(data, fill, persistent);
        total += next->append(_separator.data(), _separator.size(), false);
        _column = 0;
        data += fill;
        size -= fill;
    }
    total += next->append(data, size, persistent);
    _column += size;
    return total;
}

} // namespace Orvanta::Filter
