#include "filter/newlineconverter.h"

#include <cstring>

namespace Orvanta::Filter {

NewlineConverter::NewlineConverter(Result* next, const char* newline, int mode)
    : Filter(next), _newline(newline), _newlineSize(std::strlen(newline)), _mode(mode) {}

size_t NewlineConverter::process(const char* data, size_t size, bool persistent) {
    if (size == 0) return 0;
    size_t total = 0;
    size_t start = 0;
    // The CR that ended the previous piece was rewritten already.
    if (_pendingCr && data[0] == '\n') start = 1;
    _pendingCr = data[size - 1] == '\r';
    // Line ends are found with memchr, each byte looked at once by each
    // search: the common line of text holds none until its end.
    auto find = [data, size](size_t from, char byte) {
        const void* at = from < size ? std::memchr(data + from, byte, size - from) : nullptr;
        return at == nullptr ? size : static_cast<size_t>(static_cast<const char*>(at) - data);
    };
    size_t cr = find(start, '\r');
    size_t lf = find(start, '\n');
    for (size_t i = cr < lf ? cr : lf; i < size; i = cr < lf ? cr : lf) {
        size_t length;
        bool rewrite;
        if (data[i] == '\r') {
            bool crlf = i + 1 < size && data[i + 1] == '\n';
            length = crlf ? 2 : 1;
            rewrite = !crlf || _mode != 0;
        } else {
            length = 1;
            rewrite = _mode != 1;
        }
        if (rewrite) {
            if (i > start) total += next->append(data + start, i - start, persistent);
            total += next->append(_newline, _newlineSize, true);
            start = i + length;
        }
        if (cr < i + length) cr = find(i + length, '\r');
        if (lf < i + length) lf = find(i + length, '\n');
    }
    if (start < size) total += next->append(data + start, size - start, persistent);
    return total;
}

size_t NewlineConverter::flush() {
    _pendingCr = false;
    return next->flush();
}

} // namespace Orvanta::Filter
