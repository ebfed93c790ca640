// The transfer encoding of a body ("quoted-printable", "base64", "8bit",
// "7bit", "binary"); a missing or unreadable one counts as "7bit".
#pragma once

#include "mime/headerfield.h"

#include <cstddef>

namespace Orvanta::Mime {

class Header;
class Object;

class ContentTransferEncoding : public HeaderField {
public:
    enum Encoding : int { quotedprintable = 0, base64 = 1, eightbit = 2, sevenbit = 3, binary = 4 };

    ContentTransferEncoding(Encoding encoding) : _encoding(encoding) {}
    // the encoding the header names, "7bit" when it names none; never throws
    explicit ContentTransferEncoding(Object const& object);
    explicit ContentTransferEncoding(Header const& header);
    explicit ContentTransferEncoding(Header const* header);

    // The encoding named by the text (leading white space skipped); throws
    // "unknown transfer encoding".
    static Encoding parse(char const* data, size_t size);
    // true when the text starts with the name (ASCII case ignored) and holds
    // nothing but white space after it
    static bool equals(char const* text, size_t size, char const* name, size_t length);
    static Encoding extract(Header const& header);

    Encoding encoding() const { return _encoding; }
    bool operator==(ContentTransferEncoding const& other) const { return _encoding == other._encoding; }
    bool operator!=(ContentTransferEncoding const& other) const { return _encoding != other._encoding; }
    // the name written for the encoding ("unknown" outside the table)
    char const* name() const;

    using HeaderField::encode;
    size_t encode(Capabilities const& caps, Filter::Result* out, bool persistent) const override;

private:
    Encoding _encoding;
};

} // namespace Orvanta::Mime
