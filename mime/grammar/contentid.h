// The value of a Content-ID field: an identifier in angle brackets.
#pragma once

#include "mime/grammar/headerfield.h"

#include <string>

namespace Orvanta::Mime {

class ContentID : public HeaderField {
public:
    // Takes the first "<...>" after leading white space; what follows the
    // '>' is not read. Throws "Invalid content-id: " and the whole text.
    ContentID(const char* data, size_t size);

    // the identifier with its brackets
    const std::string& text() const { return _text; }
    // nothing but white space followed the '>': a second id, a comment or a
    // word after it would be lost if the identifier stood for the text
    bool whole() const override { return _whole; }

    using HeaderField::encode;
    size_t encode(const Capabilities& caps, Filter::Result* out, bool persistent) const override;
    size_t encode(const Capabilities& caps, Filter::LineLength* out, bool persistent) const override;

private:
    std::string _text;
    bool _whole = false;
};

} // namespace Orvanta::Mime
