#include "mime/message/crlf.h"

#include <cstring>

namespace Orvanta::Mime {

CrLf::~CrLf() {
    if (_terminate && !_lf) next->append("\r\n", 2, true);
}

size_t CrLf::process(const char* data, size_t size, bool persistent) {
    if (size == 0) return 0;
    size_t total = 0;
    size_t start = 0;
    bool cr = _cr;
    for (auto feed = static_cast<const char*>(std::memchr(data, '\n', size)); feed != nullptr;
         feed = static_cast<const char*>(std::memchr(feed + 1, '\n', size - (feed + 1 - data)))) {
        size_t at = static_cast<size_t>(feed - data);
        if (at > 0) cr = data[at - 1] == '\r';
        if (cr) continue;
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
