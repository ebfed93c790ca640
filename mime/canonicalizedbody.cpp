#include "mime/canonicalizedbody.h"

#include <array>

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
        if (end > i) _content = i = end;
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
