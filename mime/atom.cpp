#include "mime/atom.h"

#include "mime/ascii.h"
#include "mime/whitespace.h"

namespace Orvanta::Mime {

namespace {

bool isAtomByte(char c) {
    if (!Ascii::isAscii(c)) return true;
    if (Ascii::isControl(c)) return false;
    return !Ascii::inSet(c, " \t()<>[]:;@\\,.\"");
}

} // namespace

Atom::Atom(char const* data, size_t size, bool cfws) : _data(data) {
    size_t position = 0;
    if (cfws) position = _leading = Whitespace(data, size, true).consumed();
    while (position < size && isAtomByte(data[position])) {
        if (!Ascii::isAscii(data[position])) _ascii = false;
        ++position;
    }
    if (cfws) {
        _trailing = Whitespace(data + position, size - position, true).consumed();
        position += _trailing;
    }
    _consumed = position;
}

} // namespace Orvanta::Mime
