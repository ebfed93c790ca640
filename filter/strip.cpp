#include "filter/strip.h"

namespace Orvanta::Filter {

size_t Strip::process(const char* data, size_t size, bool persistent) {
    size_t total = 0;
    size_t start = 0;
    for (size_t i = 0; i < size; ++i) {
        if (!_set.contains(data[i])) continue;
        if (i > start) total += next->append(data + start, i - start, persistent);
        start = i + 1;
    }
    if (start < size) total += next->append(data + start, size - start, persistent);
    return total;
}

} // namespace Orvanta::Filter
