// The transfer encoding of a body ("quoted-printable", "base64", "8bit",
// "7bit", "binary"); a missing or unreadable one counts as "7bit".
#pragma once

#include "mime/grammar/headerfield.h"

#include <cstddef>

namespace Orvanta::Mime {

class Header;
class Object;

class ContentTransferEncoding : public HeaderField {
public:
    enum Encoding : int { quotedprintable = 0, base64 = 1, eightbit = 2, sevenbit = 3, binary = 4 };

    ContentTransferEncoding(Encoding encoding) : _encoding(encoding) {}
    // the encoding the header names, "7bit" when it names none; never throws
    explicit ContentTransferEncoding(const Object& object);
    explicit ContentTransferEncoding(const Header& header);
    explicit ContentTransferEncoding(const Header* header);

    // The encoding named by the text (leading white space skipped); throws
    // "unknown transfer encoding".
    static Encoding parse(const char* data, size_t size);
    // true when the text starts with the name (ASCII case ignored) and holds
    // nothing but white space after it
    static bool equals(const char* text, size_t size, const char* name, size_t length);
    static Encoding extract(const Header& header);
    // whether the header names no transfer encoding or one of the table:
    // false for a label unknown here ("x-uuencode"), which extract reads as
    // "7bit"
    static bool known(const Header& header);

    Encoding encoding() const { return _encoding; }
    bool operator==(const ContentTransferEncoding& other) const { return _encoding == other._encoding; }
    bool operator!=(const ContentTransferEncoding& other) const { return _encoding != other._encoding; }
    // the name written for the encoding ("unknown" outside the table)
    const char* name() const;

    using HeaderField::encode;
    size_t encode(const Capabilities& caps, Filter::Result* out, bool persistent) const override;

private:
    Encoding _encoding;
};

} // namespace Orvanta::Mime
