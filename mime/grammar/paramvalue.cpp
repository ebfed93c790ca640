#include "mime/grammar/paramvalue.h"

#include "mime/grammar/ascii.h"
#include "mime/grammar/paramcharset.h"
#include "mime/grammar/paramdecoder.h"
#include "mime/grammar/paramkey.h"
#include "mime/grammar/quotedstring.h"
#include "mime/grammar/scanner.h"

#include <stdexcept>

namespace Orvanta::Mime {

ParamValue::ParamValue(const ParamKey& key, const char* data, size_t size, bool strict) {
    std::string raw;
    Scanner text(data, size);
    if (text.at('"')) {
        QuotedString quoted(data, size);
        raw = quoted.text();
        _consumed = quoted.consumed();
    } else {
        for (; !text.atEnd(); text.advance(1)) {
            char c = text.current();
            if (strict) {
                if (!Ascii::isAscii(c)) throw std::runtime_error("non-ascii character in parameter value");
                if (Ascii::isControl(c)) throw std::runtime_error("control character in parameter value");
            }
            if (Ascii::isSpace(c) || c == ';') break;
            if (strict && Ascii::inSet(c, "()<>@,;:\\\"/[]?=") && c != '\0')
                throw std::runtime_error("invalid character in parameter value");
        }
        raw.assign(data, text.position());
        _consumed = text.position();
    }
    // A boundary is no text in a charset: one marked extended that names none
    // (boundary*=abc, malformed) is read as other readers read it rather than
    // losing every part.
    if (key.extended() && !key.sectioned())
        _replaced = decodeExtended(raw.data(), raw.size(), _value, !key.matches("boundary", 8));
    else
        _value = std::move(raw);
}

bool ParamValue::decodeExtended(const char* data, size_t size, std::string& out, bool named) {
    ParamCharset charset(data, size, named);
    std::string decoded;
    bool replaced;
    {
        ParamDecoder decoder(decoded, charset.charset().c_str());
        decoder.decode(data + charset.rest(), size - charset.rest());
        decoder.finish();
        replaced = decoder.replaced();
    }
    out = std::move(decoded);
    return replaced;
}

} // namespace Orvanta::Mime
