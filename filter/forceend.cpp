#include "filter/forceend.h"

#include <cstring>
#include <string>

namespace Orvanta::Filter {

ForceEnd::ForceEnd(Result* next, const char* end, bool whole)
    : Filter(next), _end(end), _endSize(std::strlen(end)), _whole(whole) {}

ForceEnd::~ForceEnd() {
    size_t matched = _whole && _matched < _endSize ? 0 : _matched;
    next->append(_end + matched, _endSize - matched, true);
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
