#include "mime/message/boundary.h"

#include "filter/result.h"
#include "mime/message/part.h"
#include "mime/message/separator.h"
#include "mime/message/textblock.h"

#include <cstring>

namespace Orvanta::Mime {

Boundary::Boundary(const Part& part)
    : _data(part.text() + part.content()), _size(part.consumed() - part.content()), _closing(part.closing()) {
}

bool Boundary::operator==(const Separator& separator) const {
    const std::string& text = separator.text();
    // the separator, "--" when closing, blanks of transport padding, and the
    // line end as it stood (none at the end of the text)
    size_t length = _size;
    if (length > 0 && _data[length - 1] == '\n') --length;
    if (length > 0 && _data[length - 1] == '\r') --length;
    while (length > 0 && (_data[length - 1] == ' ' || _data[length - 1] == '\t'))
        --length;
    if (_closing) {
        if (length < 2 || std::memcmp(_data + length - 2, "--", 2) != 0) return false;
        length -= 2;
    }
    return length == text.size() && std::memcmp(_data, text.data(), text.size()) == 0;
}

size_t Boundary::encode(Filter::Result* out, bool persistent) const {
    return TextBlock(_data, _size).encode(out, persistent);
}

} // namespace Orvanta::Mime
