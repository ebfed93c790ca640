#include "filter/smtpdecode.h"

#include <cstring>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace Orvanta::Filter {

namespace {

// The first LF in [from, end) that a dot follows, both before end; null when
// there is none. Sixteen positions at a time where the processor allows:
// looking for the pair costs less than stopping at every line end.
const char* dotAfterLineEnd(const char* from, const char* end) {
#ifdef __SSE2__
    const __m128i lf = _mm_set1_epi8('\n');
    const __m128i dot = _mm_set1_epi8('.');
    while (end - from > 16) {
        __m128i here = _mm_loadu_si128(reinterpret_cast<const __m128i*>(from));
        __m128i next = _mm_loadu_si128(reinterpret_cast<const __m128i*>(from + 1));
        int found = _mm_movemask_epi8(_mm_and_si128(_mm_cmpeq_epi8(here, lf), _mm_cmpeq_epi8(next, dot)));
        if (found != 0) return from + __builtin_ctz(static_cast<unsigned>(found));
        from += 16;
    }
#endif
    for (; end - from > 1; ++from) {
        const void* found = std::memchr(from, '\n', static_cast<size_t>(end - from - 1));
        if (found == nullptr) return nullptr;
        from = static_cast<const char*>(found);
        if (from[1] == '.') return from;
    }
    return nullptr;
}

} // namespace

bool SmtpDecode::ready(const char* rest, size_t size, size_t offset) {
    size_t consumed = 0;
    if (_state == AfterDot && size >= 2) {
        if (rest[0] == '\r' && rest[1] == '\n')
            consumed = offset + 2;
        else if (rest[0] == '\n')
            consumed = offset + 1;
    } else if (size > 0 && rest[0] == '\n') {
        consumed = offset + 1;
    }
    if (consumed == 0) return false;
    _ready(consumed);
    _state = Ended;
    return true;
}

int SmtpDecode::state(const char* rest, size_t size) const {
    if (size == 0) return _state;
    if (size == 1) {
        if (_state == AfterDot && rest[0] == '\r') return AfterDotCr;
        return rest[0] == '\n' ? LineStart : InLine;
    }
    return rest[size - 1] == '\n' ? LineStart : InLine;
}

size_t SmtpDecode::process(const char* data, size_t size, bool persistent) {
    if (size == 0 || _state == Ended) return 0;
    size_t total = 0;
    size_t pos = 0;
    if (_state == LineStart && data[0] == '.') {
        _state = AfterDot;
        if (ready(data + 1, size - 1, 1) || size == 1) return 0;
        pos = 1;
    } else if (_state == AfterDot || _state == AfterDotCr) {
        if (_state == AfterDot && data[0] == '\r') {
            _state = AfterDotCr;
            pos = 1;
            if (size == 1) return 0;
        }
        if (ready(data + pos, size - pos, pos)) return 0;
        // The withheld CR turned out to be data.
        if (_state == AfterDotCr) total += next->append("\r", 1, true);
        _state = InLine;
    }

    const char* end = data + size;
    const char* current = data + pos;
    const char* search = current;
    while (search < end) {
        const char* lf = dotAfterLineEnd(search, end);
        if (lf == nullptr) break;
        search = lf + 1;
        total += next->append(current, static_cast<size_t>(search - current), persistent);
        _state = AfterDot;
        current = search = lf + 2;
        if (ready(current, static_cast<size_t>(end - current), static_cast<size_t>(current - data)))
            return total;
    }

    size_t restSize = static_cast<size_t>(end - current);
    _state = state(current, restSize);
    if (_state == AfterDot || _state == AfterDotCr || restSize == 0) return total;
    return total + next->append(current, restSize, persistent);
}

} // namespace Orvanta::Filter
