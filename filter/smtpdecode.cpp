#include "filter/smtpdecode.h"

#include <cstring>

namespace Orvanta::Filter {

bool SmtpDecode::ready(const char* rest, size_t size, size_t offset)
{
    size_t consumed = 0;
    if (_state == AfterDot && size >= 2) {
        if (rest[0] == '\r' && rest[1] == '\n') consumed = offset + 2;
        else if (rest[0] == '\n') consumed = offset + 1;
    } else if (size > 0 && rest[0] == '\n') {
        consumed = offset + 1;
    }
    if (consumed == 0) return false;
    _ready(consumed);
    _state = Ended;
    return true;
}

int SmtpDecode::state(const char* rest, size_t size) const
{
    if (size == 0) return _state;
    if (size == 1) {
        if (_state == AfterDot && rest[0] == '\r') return AfterDotCr;
        return rest[0] == '\n' ? LineStart : InLine;
    }
    return rest[size - 1] == '\n' ? LineStart : InLine;
}

size_t SmtpDecode::process(const char* data, size_t size, bool persistent)
{
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
        const void* found = std::memchr(search, '\n', static_cast<size_t>(end - search));
        if (found == nullptr) break;
        const char* lf = static_cast<const char*>(found);
        if (lf + 1 == end) break;
        search = lf + 1;
        if (*search != '.') continue;
        total += next->append(current, static_cast<size_t>(search - current), persistent);
        _state = AfterDot;
        current = search = lf + 2;
        if (ready(current, static_cast<size_t>(end - current), static_cast<size_t>(current - data))) return total;
    }

    size_t restSize = static_cast<size_t>(end - current);
    _state = state(current, restSize);
    if (_state == AfterDot || _state == AfterDotCr || restSize == 0) return total;
    return total + next->append(current, restSize, persistent);
}

} // namespace Orvanta::Filter
