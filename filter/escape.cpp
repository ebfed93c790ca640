#include "filter/escape.h"

namespace Orvanta::Filter {

size_t Escape::process(const char* data, size_t size, bool persistent) {
    size_t total = 0;
    size_t start = 0;
    for (size_t i = 0; i < size; ++i) {
        if (!_set.contains(data[i])) continue;
        if (i > start) total += next->append(data + start, i - start, persistent);
        total += next->append(&_escape, 1, false);
        start = i; // the byte itself leads the next slice
    }
    if (start < size) total += next->append(data + start, size - start, persistent);
    return total;
}

} // namespace Orvanta::Filter
