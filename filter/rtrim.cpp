#include "filter/rtrim.h"

namespace Orvanta::Filter {

size_t Rtrim::process(const char* data, size_t size, bool persistent) {
    size_t last = size;
    while (last > 0 && _set.contains(data[last - 1]))
        --last;
    if (last == 0) {
        _held.append(data, size);
        return 0;
    }
    size_t total = next->append(_held.data(), _held.size(), false);
    _held.assign(data + last, size - last);
    return total + next->append(data, last, persistent);
}

} // namespace Orvanta::Filter
