#include "filter/forceend.h"

#include <cstring>
#include <string>

namespace Orvanta::Filter {

ForceEnd::ForceEnd(Result* next, const char* end) : Filter(next), _end(end), _endSize(std::strlen(end)) {}

ForceEnd::~ForceEnd() {
    next->append(_end + _matched, _endSize - _matched, true);
}

size_t ForceEnd::process(const char* data, size_t size, bool persistent) {
    if (size == 0) return 0;
    // Only the last bytes of the output matter: at most the end text's length.
    std::string tail;
    if (size < _endSize) tail.assign(_end, _matched);
    size_t take = size < _endSize ? size : _endSize;
    tail.append(data + size - take, take);
    _matched = 0;
    for (size_t k = tail.size() < _endSize ? tail.size() : _endSize; k > 0; --k) {
        if (std::memcmp(tail.data() + tail.size() - k, _end, k) == 0) {
            _matched = k;
            break;
        }
    }
    return next->append(data, size, persistent);
}

} // namespace Orvanta::Filter
