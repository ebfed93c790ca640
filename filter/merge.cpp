#include "filter/merge.h"

namespace Orvanta::Filter {

size_t Merge::process(const char* data, size_t size, bool persistent) {
    size_t total = 0;
    size_t start = 0;
    for (size_t i = 0; i < size; ++i) {
        if (!_set.contains(data[i])) {
            _inRun = false;
            continue;
        }
        if (!_inRun) {
            total += next->append(data + start, i - start, persistent);
            total += next->append(_replacement.data(), _replacement.size(), false);
            _inRun = true;
        }
        start = i + 1;
    }
    return total + next->append(data + start, size - start, persistent);
}

} // namespace Orvanta::Filter
