#include "mime/message/crlf.h"

#include "mime/message/avx2.h"

#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace Orvanta::Mime {

namespace {

#if defined(ORVANTA_MIME_AVX2)
// the first block of sixty-four bytes from `from` that holds a LF alone (the
// byte before `from` is looked at too), or where fewer are left; bareFeed
// finds the LF
__attribute__((target("avx2"))) size_t bareFeedBlockAvx2(const char* data, size_t from, size_t size) {
    const __m256i lf = _mm256_set1_epi8('\n');
    const __m256i cr = _mm256_set1_epi8('\r');
    for (; from + 64 <= size; from += 64) {
        const char* at = data + from;
        const __m256i low = _mm256_andnot_si256(
            _mm256_cmpeq_epi8(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(at - 1)), cr),
            _mm256_cmpeq_epi8(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(at)), lf));
        const __m256i high = _mm256_andnot_si256(
            _mm256_cmpeq_epi8(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(at + 31)), cr),
            _mm256_cmpeq_epi8(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(at + 32)), lf));
        const __m256i both = _mm256_or_si256(low, high);
        if (!_mm256_testz_si256(both, both)) break;
    }
    return from;
}
#endif

// The first LF in data[from, size) without a CR before it (`cr`: the byte
// before data[0] was a CR); size when there is none. Text with CR LF line
// ends has none: sixty-four bytes are looked at a time where the processor
// allows, instead of stopping at every line end.
size_t bareFeed(const char* data, size_t from, size_t size, bool cr) {
    if (from == 0) {
        if (size > 0 && data[0] == '\n' && !cr) return 0;
        from = 1;
    }
#if defined(ORVANTA_MIME_AVX2)
    if (avx2) from = bareFeedBlockAvx2(data, from, size);
#endif
#if defined(__SSE2__)
    const __m128i lf = _mm_set1_epi8('\n');
    const __m128i cr16 = _mm_set1_epi8('\r');
    // the LFs of the sixteen bytes at `at` whose byte before is no CR
    auto bare = [&](size_t at) {
        __m128i here = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + at));
        __m128i before = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + at - 1));
        return _mm_andnot_si128(_mm_cmpeq_epi8(before, cr16), _mm_cmpeq_epi8(here, lf));
    };
    while (from + 64 <= size &&
           _mm_movemask_epi8(_mm_or_si128(_mm_or_si128(bare(from), bare(from + 16)),
                                          _mm_or_si128(bare(from + 32), bare(from + 48)))) == 0)
        from += 64;
    for (; from + 16 <= size; from += 16) {
        int found = _mm_movemask_epi8(bare(from));
        if (found != 0) return from + static_cast<size_t>(__builtin_ctz(static_cast<unsigned>(found)));
    }
#endif
    for (; from < size; ++from)
        if (data[from] == '\n' && data[from - 1] != '\r') return from;
    return size;
}

} // namespace

CrLf::~CrLf() {
    if (_terminate && !_lf) next->append("\r\n", 2, true);
}

size_t CrLf::process(const char* data, size_t size, bool persistent) {
    if (size == 0) return 0;
    size_t total = 0;
    size_t start = 0;
    for (size_t at = bareFeed(data, 0, size, _cr); at < size; at = bareFeed(data, at + 1, size, false)) {
        if (at > start) total += next->append(data + start, at - start, persistent);
        total += next->append("\r", 1, true);
        start = at;
    }
    total += next->append(data + start, size - start, persistent);
    _cr = data[size - 1] == '\r';
    _lf = data[size - 1] == '\n';
    return total;
}

} // namespace Orvanta::Mime
