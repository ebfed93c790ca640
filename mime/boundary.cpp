#include "mime/boundary.h"

#include "filter/result.h"
#include "mime/part.h"
#include "mime/separator.h"

#include <cstring>

namespace Orvanta::Mime {

Boundary::Boundary(Part const& part)
    : _data(part.text() + part.content()), _size(part.consumed() - part.content()), _closing(part.closing()) {}

bool Boundary::operator==(Separator const& separator) const {
    std::string const& text = separator.text();
    size_t suffix = _closing ? 4 : 2;
    if (_size < 3 || _size != text.size() + suffix) return false;
    if (std::memcmp(_data + _size - 2, "\r\n", 2) != 0) return false;
    if (_closing && std::memcmp(_data + _size - 4, "--", 2) != 0) return false;
    return std::memcmp(_data, text.data(), text.size()) == 0;
}

size_t Boundary::encode(Filter::Result* out, bool persistent) const { return out->append(_data, _size, persistent); }

} // namespace Orvanta::Mime
