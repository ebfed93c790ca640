#include "mime/boundary.h"

#include "filter/result.h"
#include "mime/part.h"
#include "mime/separator.h"

#include <cstring>

namespace Orvanta::Mime {

Boundary::Boundary(const Part& part)
    : _data(part.text() + part.content()), _size(part.consumed() - part.content()), _closing(part.closing()) {
}

bool Boundary::operator==(const Separator& separator) const {
    const std::string& text = separator.text();
    if (_size < 3 || std::memcmp(_data + _size - 2, "\r\n", 2) != 0) return false;
    // the separator, "--" when closing, blanks of transport padding, CR LF
    size_t length = _size - 2;
    while (length > 0 && (_data[length - 1] == ' ' || _data[length - 1] == '\t'))
        --length;
    if (_closing) {
        if (length < 2 || std::memcmp(_data + length - 2, "--", 2) != 0) return false;
        length -= 2;
    }
    return length == text.size() && std::memcmp(_data, text.data(), text.size()) == 0;
}

size_t Boundary::encode(Filter::Result* out, bool persistent) const {
    return out->append(_data, _size, persistent);
}

} // namespace Orvanta::Mime
