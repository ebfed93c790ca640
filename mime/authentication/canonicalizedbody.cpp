#include "mime/authentication/canonicalizedbody.h"

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

} // namespace

size_t CanonicalizeBody::plain(const char* data, size_t at, size_t size) const {
    const std::array<bool, 256>& special = _simple ? simpleTable : relaxedTable;
#if defined(__SSE2__)
    // Sixty-four bytes at a time while none needs a look: CR LF line ends
    // and content pass, a LF alone must become CR LF, and for relaxed a tab,
    // a space beside a blank or a line end, and a line end after a blank
    // need the careful road (one space between two words is canonical). The
    // byte before the block must be in this piece: blanks before it may be
    // held.
    if (at > 0) {
        size_t first = at;
        auto is = [](char c, char a, char b) { return c == a || c == b ? uint64_t(1) : uint64_t(0); };
        uint64_t beforeCr = is(data[at - 1], '\r', '\r');
        uint64_t beforeBlank = is(data[at - 1], ' ', '\t');
        while (at + 64 < size) {
            const __m128i* at128 = reinterpret_cast<const __m128i*>(data + at);
            const __m128i b0 = _mm_loadu_si128(at128);
            const __m128i b1 = _mm_loadu_si128(at128 + 1);
            const __m128i b2 = _mm_loadu_si128(at128 + 2);
            const __m128i b3 = _mm_loadu_si128(at128 + 3);
            // one bit for each of the 64 bytes that is `c`
            auto bits = [&](char c) {
                const __m128i wanted = _mm_set1_epi8(c);
                auto mask = [&wanted](__m128i block) {
                    return uint64_t(static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(block, wanted))));
                };
                return mask(b0) | mask(b1) << 16 | mask(b2) << 32 | mask(b3) << 48;
            };
            uint64_t crs = bits('\r');
            uint64_t lfs = bits('\n');
            uint64_t bad = lfs & ~((crs << 1) | beforeCr);
            beforeCr = crs >> 63;
            if (!_simple) {
                uint64_t spaces = bits(' ');
                uint64_t tabs = bits('\t');
                uint64_t blanks = spaces | tabs;
                uint64_t all = blanks | crs | lfs;
                char after = data[at + 64];
                uint64_t neighbours =
                    (all << 1) | (all >> 1) | ((is(after, ' ', '\t') | is(after, '\r', '\n')) << 63);
                bad |= tabs | (spaces & neighbours) | ((crs | lfs) & ((blanks << 1) | beforeBlank));
                beforeBlank = blanks >> 63;
            }
            if (bad != 0) return at + static_cast<size_t>(__builtin_ctzll(bad));
            at += 64;
        }
        // a CR LF pair is not cut: its CR is looked at with its LF
        if (at > first && data[at - 1] == '\r') --at;
    }
#endif
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
