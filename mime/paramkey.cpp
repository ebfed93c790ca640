#include "mime/paramkey.h"

#include "mime/ascii.h"
#include "mime/rfc2231.h"

#include <exception>
#include <stdexcept>

namespace Orvanta::Mime {

namespace {

bool isKeyByte(char c) {
    return Ascii::isAscii(c) && !Ascii::isControl(c) && !Ascii::inSet(c, "()<>@,;:\\\"/[]? \t=");
}

} // namespace

ParamKey::ParamKey(char const* data, size_t size) {
    size_t i = 0;
    for (; i < size && isKeyByte(data[i]); ++i) {
        if (data[i] != '*' || i == 0) continue;
        try {
            Rfc2231 suffix(data + i + 1, size - i - 1);
            _sectioned = suffix.sectioned();
            _extended = suffix.extended();
            _section = suffix.section();
            _name.assign(data, i);
            _consumed = i + 1 + suffix.consumed();
            return;
        } catch (std::exception const&) {
            // not a valid suffix: the '*' is an ordinary byte of the name
        }
    }
    if (i == 0) throw std::runtime_error("invalid parameter key");
    _name.assign(data, i);
    _consumed = i;
}

ParamKey ParamKey::plain() const {
    ParamKey key;
    key._name = _name;
    key._consumed = _name.size();
    return key;
}

bool ParamKey::matches(char const* name, size_t size) const {
    return size == _name.size() && Ascii::equalNoCase(name, _name.data(), size);
}

} // namespace Orvanta::Mime
