#include "mime/authentication/canonicalizedbody.h"

#include "mime/message/avx2.h"

#include <array>
#include <cstdint>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace Orvanta::Mime {

namespace {

// the bytes that end a run of plain text: line ends, and blanks when they are
// folded
std::array<bool, 256> table(bool blanks) {
    std::array<bool, 256> special{};
    special['\r'] = special['\n'] = true;
    special[' '] = special['\t'] = blanks;
    return special;
}

const std::array<bool, 256> simpleTable = table(false);
const std::array<bool, 256> relaxedTable = table(true);

bool blank(char c) {
    return c == ' ' || c == '\t';
}

#if defined(__SSE2__)
// The bytes of the sixteen at `data` that need a look (see blocks()).
__m128i badSse2(const char* data, bool simple) {
    auto load = [](const char* at) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(at)); };
    const __m128i here = load(data);
    const __m128i before = load(data - 1);
    __m128i found = _mm_andnot_si128(_mm_cmpeq_epi8(before, _mm_set1_epi8('\r')),
                                     _mm_cmpeq_epi8(here, _mm_set1_epi8('\n')));
    if (simple) return found;
    // the bytes after, up to a space
    const __m128i space = _mm_set1_epi8(' ');
    const __m128i after = load(data + 1);
    const __m128i low = _mm_cmpeq_epi8(_mm_min_epu8(after, space), after);
    found = _mm_or_si128(found, _mm_cmpeq_epi8(here, _mm_set1_epi8('\t')));
    return _mm_or_si128(found, _mm_and_si128(_mm_cmpeq_epi8(here, space), low));
}
#endif

#if defined(ORVANTA_MIME_AVX2)
// the same as badSse2 for thirty-two bytes
inline __attribute__((target("avx2"), always_inline)) __m256i badAvx2(const char* data, bool simple) {
    // (a lambda would not have the target)
    const __m256i here = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(data));
    const __m256i before = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(data - 1));
    __m256i found = _mm256_andnot_si256(_mm256_cmpeq_epi8(before, _mm256_set1_epi8('\r')),
                                        _mm256_cmpeq_epi8(here, _mm256_set1_epi8('\n')));
    if (simple) return found;
    const __m256i space = _mm256_set1_epi8(' ');
    const __m256i after = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(data + 1));
    const __m256i low = _mm256_cmpeq_epi8(_mm256_min_epu8(after, space), after);
    found = _mm256_or_si256(found, _mm256_cmpeq_epi8(here, _mm256_set1_epi8('\t')));
    return _mm256_or_si256(found, _mm256_and_si256(_mm256_cmpeq_epi8(here, space), low));
}

// the first block of sixty-four bytes from `at` with a byte that needs a
// look, or where the blocks end; SSE2 finds the byte
__attribute__((target("avx2"))) size_t cleanAvx2(const char* data, size_t at, size_t size, bool simple) {
    for (; at + 64 < size; at += 64) {
        const __m256i bad = _mm256_or_si256(badAvx2(data + at, simple), badAvx2(data + at + 32, simple));
        if (!_mm256_testz_si256(bad, bad)) break;
    }
    return at;
}
#endif

// Looks at sixty-four bytes at a time while none needs a look: CR LF line
// ends and content pass, a LF alone must become CR LF, and for relaxed a tab
// and a space before a blank or a line end need the careful road (one space
// between two words is canonical, and so is a space starting a line). Each
// byte is compared with its neighbours loaded one byte off, so that a block
// needs no carry from the one before; a space before any byte up to a space
// (a control character too) takes the careful road, which costs only time.
// True with `at` at the first byte that needs a look; false with `at` where
// the blocks end, at most 64 bytes before `size`.
bool blocks(const char* data, size_t& at, size_t size, bool simple) {
#if defined(ORVANTA_MIME_AVX2)
    if (avx2) at = cleanAvx2(data, at, size, simple);
#endif
#if defined(__SSE2__)
    for (; at + 64 < size; at += 64) {
        const __m128i b0 = badSse2(data + at, simple);
        const __m128i b1 = badSse2(data + at + 16, simple);
        const __m128i b2 = badSse2(data + at + 32, simple);
        const __m128i b3 = badSse2(data + at + 48, simple);
        // most blocks need no look: one test for all four
        if (_mm_movemask_epi8(_mm_or_si128(_mm_or_si128(b0, b1), _mm_or_si128(b2, b3))) == 0) continue;
        auto mask = [](__m128i block) { return uint64_t(static_cast<unsigned>(_mm_movemask_epi8(block))); };
        at +=
            static_cast<size_t>(__builtin_ctzll(mask(b0) | mask(b1) << 16 | mask(b2) << 32 | mask(b3) << 48));
        return true;
    }
#else
    static_cast<void>(data);
    static_cast<void>(size);
    static_cast<void>(simple);
#endif
    return false;
}

} // namespace

size_t CanonicalizeBody::plain(const char* data, size_t at, size_t size) const {
    const std::array<bool, 256>& special = _simple ? simpleTable : relaxedTable;
    // The bytes before a block must be in this piece: blanks before it may
    // be held, and a line end right after them makes them trailing ones.
    if (at > 0 && at + 64 < size) {
        if (!_simple && blank(data[at - 1]) && special[static_cast<unsigned char>(data[at])]) return at;
        size_t first = at;
        if (blocks(data, at, size, _simple)) return at;
        // a CR LF pair is not cut: its CR is looked at with its LF
        if (at > first && data[at - 1] == '\r') --at;
    }
    while (at < size && !special[static_cast<unsigned char>(data[at])])
        ++at;
    return at;
}

void CanonicalizeBody::held() {
    for (; _lines > 0; --_lines)
        _next->append("\r\n", 2, true);
    if (_space) _next->append(" ", 1, true);
    _space = false;
    _written = true;
}

void CanonicalizeBody::write(const char* data, bool persistent) {
    if (_content > _start) {
        held();
        _next->append(data + _start, _content - _start, persistent);
    }
}

size_t CanonicalizeBody::append(const char* data, size_t size, bool persistent) {
    size_t i = 0;
    if (_cr && size > 0) {
        _cr = false;
        if (data[0] == '\n') {
            ++_lines;
            _space = false;
            i = 1;
        } else {
            // a CR alone is content
            held();
            _next->append("\r", 1, true);
        }
    }
    // Bytes that are canonical as they stand are passed on in one piece:
    // the run from _start grows over content and CR LF line ends, and is
    // written where something must change. Line ends after the last content
    // are held, since they may be the empty lines at the end of the body.
    auto pass = [&](size_t to) {
        write(data, persistent);
        _lines += (to - _content) / 2;
        _start = _content = to;
    };
    _start = _content = i;
    while (i < size) {
        size_t end = plain(data, i, size);
        if (end > i) {
            // what passed may end in line ends, held as ever
            size_t content = end;
            while (content >= i + 2 && data[content - 2] == '\r' && data[content - 1] == '\n')
                content -= 2;
            if (content > i) _content = content;
            i = end;
        }
        if (i == size) break;
        char c = data[i];
        if (c == '\r' && i + 1 == size) {
            // its LF may come with the next piece
            pass(i);
            _cr = true;
            _start = _content = size;
            return size;
        }
        if (c == '\r' && data[i + 1] != '\n') {
            // a CR alone is content
            _content = ++i;
            continue;
        }
        if (c == '\r' || c == '\n') {
            // blanks held before a line end are the line's trailing blanks
            if (_content == _start) _space = false;
            if (c == '\r') {
                i += 2;
                continue;
            }
            // a lone LF is a line end written CR LF
            pass(i);
            ++_lines;
            _start = _content = ++i;
            continue;
        }
        // relaxed: a run of blanks
        end = i;
        while (end < size && blank(data[end]))
            ++end;
        bool single = end == i + 1 && c == ' ' && !(_space && _content == _start);
        if (single && end < size && data[end] != '\r' && data[end] != '\n') {
            // one space before more of the line is canonical already
            _content = i = end;
            continue;
        }
        // one space if more of the line follows, nothing before its end
        pass(i);
        _space = true;
        _start = _content = i = end;
    }
    pass(size);
    return size;
}

void CanonicalizeBody::finish() {
    if (_cr) {
        held();
        _next->append("\r", 1, true);
    }
    _cr = false;
    _lines = 0;
    _space = false;
    if (_written || _simple) _next->append("\r\n", 2, true);
}

} // namespace Orvanta::Mime
