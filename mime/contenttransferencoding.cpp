#include "mime/contenttransferencoding.h"

#include "filter/result.h"
#include "mime/ascii.h"
#include "mime/header.h"
#include "mime/object.h"

#include <cstring>
#include <stdexcept>

namespace Orvanta::Mime {

namespace {

// in the order they are tried, at their codes
char const* const names[] = {"quoted-printable", "base64", "8bit", "7bit", "binary"};

} // namespace

ContentTransferEncoding::ContentTransferEncoding(Object const& object) : _encoding(extract(object.header)) {}

ContentTransferEncoding::ContentTransferEncoding(Header const& header) : _encoding(extract(header)) {}

ContentTransferEncoding::ContentTransferEncoding(Header const* header) : _encoding(extract(*header)) {}

bool ContentTransferEncoding::equals(char const* text, size_t size, char const* name, size_t length) {
    if (size < length || !Ascii::equalNoCase(text, name, length)) return false;
    for (size_t i = length; i < size; ++i)
        if (!Ascii::isSpace(text[i])) return false;
    return true;
}

ContentTransferEncoding::Encoding ContentTransferEncoding::parse(char const* data, size_t size) {
    while (size > 0 && Ascii::isSpace(*data)) {
        ++data;
        --size;
    }
    for (int code = 0; code < 5; ++code)
        if (equals(data, size, names[code], std::strlen(names[code]))) return static_cast<Encoding>(code);
    throw std::runtime_error("unknown transfer encoding");
}

ContentTransferEncoding::Encoding ContentTransferEncoding::extract(Header const& header) {
    Value const& value = header.get("content-transfer-encoding");
    if (value.size() == 0) return sevenbit;
    try {
        return parse(value.data(), value.size());
    } catch (std::runtime_error const&) {
        // a missing or unknown encoding is read as plain 7-bit text
        return sevenbit;
    }
}

char const* ContentTransferEncoding::name() const {
    if (_encoding < quotedprintable || _encoding > binary) return "unknown";
    return names[_encoding];
}

size_t ContentTransferEncoding::encode(Capabilities const&, Filter::Result* out, bool persistent) const {
    char const* text = name();
    return out->append(text, std::strlen(text), persistent);
}

} // namespace Orvanta::Mime
