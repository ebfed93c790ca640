#include "mime/grammar/istring.h"

#include "mime/grammar/ascii.h"

#include <cstring>

namespace Orvanta::Mime {

bool IString::operator==(const char* text) const {
    if (text == nullptr) return false;
    if (std::strlen(text) != _size) return false;
    return _size == 0 || Ascii::equalNoCase(_data, text, _size);
}

} // namespace Orvanta::Mime
