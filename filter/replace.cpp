#include "filter/replace.h"

#include <cstring>

namespace Orvanta::Filter {

Replace::Replace(Result* next, const char* needle, const char* replacement)
    : Filter(next), _needle(needle), _needleSize(std::strlen(needle)), _replacement(replacement),
      _replacementSize(std::strlen(replacement)), _fallback(_needleSize + 1, 0) {
    for (size_t i = 1, k = 0; i < _needleSize; ++i) {
        while (k > 0 && _needle[i] != _needle[k])
            k = _fallback[k];
        if (_needle[i] == _needle[k]) ++k;
        _fallback[i + 1] = k;
    }
}

Replace::~Replace() {
    if (_matched > 0) next->append(_needle, _matched, false);
}

size_t Replace::process(const char* data, size_t size, bool persistent) {
    size_t total = 0;
    // Matched bytes that came from earlier pieces: they lead the matched
    // bytes and equal the needle's first bytes.
    size_t held = _matched;
    size_t start = 0; // first byte of this piece not pushed yet
    for (size_t i = 0; i < size; ++i) {
        while (_matched > 0 && data[i] != _needle[_matched]) {
            size_t resume = _fallback[_matched];
            size_t released = _matched - resume;
            // Released bytes from earlier pieces are pushed before anything of
            // this piece; released bytes of this piece stay in its slice.
            size_t fromHeld = released < held ? released : held;
            if (fromHeld > 0) total += next->append(_needle, fromHeld, false);
            held -= fromHeld;
            _matched = resume;
        }
        if (data[i] != _needle[_matched]) continue;
        if (++_matched < _needleSize) continue;
        size_t matchStart = i + 1 - (_needleSize - held);
        if (matchStart > start) total += next->append(data + start, matchStart - start, persistent);
        total += next->append(_replacement, _replacementSize, false);
        start = i + 1;
        _matched = 0;
        held = 0;
    }
    size_t end = size - (_matched - held);
    if (end > start) total += next->append(data + start, end - start, persistent);
    return total;
}

} // namespace Orvanta::Filter
