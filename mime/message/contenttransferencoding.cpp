#include "mime/message/contenttransferencoding.h"

#include "filter/result.h"
#include "mime/grammar/ascii.h"
#include "mime/grammar/capabilities.h"
#include "mime/message/header.h"
#include "mime/message/object.h"

#include <cstring>
#include <stdexcept>

namespace Orvanta::Mime {

namespace {

// in the order they are tried, at their codes
const char* const names[] = {"quoted-printable", "base64", "8bit", "7bit", "binary"};

} // namespace

ContentTransferEncoding::ContentTransferEncoding(const Object& object) : _encoding(extract(object.header)) {}

ContentTransferEncoding::ContentTransferEncoding(const Header& header) : _encoding(extract(header)) {}

ContentTransferEncoding::ContentTransferEncoding(const Header* header) : _encoding(extract(*header)) {}

bool ContentTransferEncoding::equals(const char* text, size_t size, const char* name, size_t length) {
    if (size < length || !Ascii::equalNoCase(text, name, length)) return false;
    for (size_t i = length; i < size; ++i)
        if (!Ascii::isSpace(text[i])) return false;
    return true;
}

ContentTransferEncoding::Encoding ContentTransferEncoding::parse(const char* data, size_t size) {
    while (size > 0 && Ascii::isSpace(*data)) {
        ++data;
        --size;
    }
    for (int code = 0; code < 5; ++code)
        if (equals(data, size, names[code], std::strlen(names[code]))) return static_cast<Encoding>(code);
    throw std::runtime_error("unknown transfer encoding");
}

ContentTransferEncoding::Encoding ContentTransferEncoding::extract(const Header& header) {
    const Value& value = header.get("content-transfer-encoding");
    if (value.size() == 0) return sevenbit;
    try {
        return parse(value.data(), value.size());
    } catch (const std::runtime_error&) {
        // a missing or unknown encoding is read as plain 7-bit text
        return sevenbit;
    }
}

bool ContentTransferEncoding::known(const Header& header) {
    const Value& value = header.get("content-transfer-encoding");
    if (value.size() == 0) return true;
    try {
        parse(value.data(), value.size());
        return true;
    } catch (const std::runtime_error&) {
        // the question is only whether the label is one of the table
        return false;
    }
}

const char* ContentTransferEncoding::name() const {
    if (_encoding < quotedprintable || _encoding > binary) return "unknown";
    return names[_encoding];
}

size_t ContentTransferEncoding::encode(const Capabilities&, Filter::Result* out, bool persistent) const {
    const char* text = name();
    return out->append(text, std::strlen(text), persistent);
}

// the capabilities' judgement of an encoding lives with the encoding: the
// capabilities are known to every header value, the encoding only to the
// message model
bool Capabilities::compatible(const ContentTransferEncoding& encoding) const {
    if (_eightbit) return true;
    switch (encoding.encoding()) {
    case ContentTransferEncoding::quotedprintable:
    case ContentTransferEncoding::base64:
    case ContentTransferEncoding::sevenbit:
        return true;
    default:
        return false;
    }
}

} // namespace Orvanta::Mime
