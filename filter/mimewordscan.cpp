#include "filter/mimewordscan.h"

#include <cstring>
#include <string_view>

namespace Orvanta::Filter {

size_t MimeWordScan::length(size_t at) {
    _charset = nullptr;
    _charsetSize = 0;
    if (at > _size || _size - at < 2 || std::memcmp(_text + at, "=?", 2) != 0) return 0;
    const void* found = std::memchr(_text + at + 2, '?', _size - at - 2);
    if (found == nullptr) return 0;
    size_t mark = static_cast<size_t>(static_cast<const char*>(found) - _text);
    if (mark + 2 >= _size || _text[mark + 2] != '?') return 0;
    char letter = _text[mark + 1];
    if (letter != 'Q' && letter != 'q' && letter != 'B' && letter != 'b') return 0;
    // The end found for an earlier start serves every later one before it:
    // no "?=" stands between.
    size_t from = mark + 3;
    if (from < _searched || from > _closing) {
        size_t closing = std::string_view(_text, _size).find("?=", from);
        _closing = closing == std::string_view::npos ? _size : closing;
    }
    _searched = from;
    if (_closing >= _size) return 0;
    size_t word = _closing + 2 - at;
    if (word < 8) return 0;
    _charset = _text + at + 2;
    _charsetSize = mark - at - 2;
    return word;
}

std::string MimeWordScan::charset() const {
    std::string name(_charset == nullptr ? "" : std::string(_charset, _charsetSize));
    return name.substr(0, name.find('*'));
}

} // namespace Orvanta::Filter
