#include "app/plaintext.h"

#include "filter/utf8.h"

#include <cstdio>

namespace {

// The length of the well-formed UTF-8 sequence at the start of text that is
// neither a control character nor DEL; 0 when there is none.
size_t plainAt(std::string_view text) {
    auto lead = static_cast<unsigned char>(text[0]);
    if (lead < 0x80) return lead >= 0x20 && lead != 0x7f ? 1 : 0;
    size_t length = lead >= 0xf0 ? 4 : lead >= 0xe0 ? 3 : 2;
    if (length > text.size() || !Orvanta::Filter::Utf8::valid(text.data(), length)) return 0;
    // U+0080..U+009F: C2 80..C2 9F
    if (lead == 0xc2 && static_cast<unsigned char>(text[1]) < 0xa0) return 0;
    return length;
}

} // namespace

bool PlainText::clean(std::string_view text) {
    for (size_t at = 0; at < text.size();) {
        size_t length = plainAt(text.substr(at));
        if (length == 0) return false;
        at += length;
    }
    return true;
}

std::string PlainText::shown(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (size_t at = 0; at < text.size();) {
        if (size_t length = plainAt(text.substr(at))) {
            out.append(text.substr(at, length));
            at += length;
            continue;
        }
        char byte = text[at++];
        if (byte == '\r') {
            out += "\\r";
        } else if (byte == '\n') {
            out += "\\n";
        } else if (byte == '\t') {
            out += "\\t";
        } else {
            char escape[5];
            std::snprintf(escape, sizeof escape, "\\x%02x", static_cast<unsigned char>(byte));
            out += escape;
        }
    }
    return out;
}
