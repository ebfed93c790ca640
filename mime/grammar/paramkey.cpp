#include "mime/grammar/paramkey.h"

#include "mime/grammar/ascii.h"
#include "mime/grammar/rfc2231.h"
#include "mime/grammar/scanner.h"

#include <exception>
#include <stdexcept>

namespace Orvanta::Mime {

ParamKey::ParamKey(const char* data, size_t size) {
    Scanner text(data, size);
    while (text.atOne(Ascii::isToken)) {
        size_t at = text.position();
        if (text.next() != '*' || at == 0) continue;
        try {
            Rfc2231 suffix(text.here(), text.left());
            _sectioned = suffix.sectioned();
            _extended = suffix.extended();
            _section = suffix.section();
            _name.assign(data, at);
            _consumed = text.position() + suffix.consumed();
            return;
        } catch (const std::exception&) {
            // not a valid suffix: the '*' is an ordinary byte of the name
        }
    }
    if (text.position() == 0) throw std::runtime_error("invalid parameter key");
    _name.assign(data, text.position());
    _consumed = text.position();
}

ParamKey ParamKey::plain() const {
    ParamKey key;
    key._name = _name;
    key._consumed = _name.size();
    return key;
}

bool ParamKey::matches(const char* name, size_t size) const {
    return size == _name.size() && Ascii::equalNoCase(name, _name.data(), size);
}

} // namespace Orvanta::Mime
