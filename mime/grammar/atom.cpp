#include "mime/grammar/atom.h"

#include "mime/grammar/ascii.h"
#include "mime/grammar/scanner.h"

namespace Orvanta::Mime {

namespace {

bool isAtomByte(char c) {
    if (!Ascii::isAscii(c)) return true;
    if (Ascii::isControl(c)) return false;
    return !Ascii::inSet(c, " \t()<>[]:;@\\,.\"");
}

} // namespace

Atom::Atom(const char* data, size_t size, bool cfws) : _data(data) {
    Scanner text(data, size);
    if (cfws) _leading = text.skipBlanks(true);
    while (text.atOne(isAtomByte))
        if (!Ascii::isAscii(text.next())) _ascii = false;
    if (cfws) _trailing = text.skipBlanks(true);
    _consumed = text.position();
}

} // namespace Orvanta::Mime
