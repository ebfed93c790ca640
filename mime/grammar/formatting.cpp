#include "mime/grammar/formatting.h"

#include "mime/grammar/ascii.h"

#include <cstring>

namespace Orvanta::Mime {

namespace {

unsigned classOf(char byte) {
    if (!Ascii::isAscii(byte)) return 30;
    if (Ascii::isAlnum(byte)) return 31;
    if (byte != '\0' && std::strchr("~`!#$%^&*-_+{}|'", byte)) return 31;
    switch (byte) {
    case '.':
        return 25;
    case ',':
        return 9;
    case '/':
    case '?':
    case '=':
        return 23;
    case ' ':
        return 5;
    default:
        break;
    }
    return Ascii::isPrint(byte) ? 1 : 0;
}

} // namespace

Formatting::Formatting(const char* data, size_t size) {
    for (size_t i = 0; i < size; ++i) {
        if (data[i] == '.' && (i == 0 || i + 1 == size || data[i - 1] == '.')) _mask &= ~uint64_t(16);
        process(data[i]);
    }
}

void Formatting::process(char byte) {
    _mask &= classOf(byte);
}

} // namespace Orvanta::Mime
