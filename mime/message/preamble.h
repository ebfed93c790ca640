// The text of a multipart body before its first delimiter, with the
// delimiter line that followed it.
#pragma once

#include "mime/grammar/encodable.h"
#include "mime/grammar/string.h"
#include "mime/message/boundary.h"

namespace Orvanta::Mime {

class Part;

class Preamble : public String, public Encodable {
public:
    Preamble() = default;
    // the text before the part's delimiter, and that delimiter line
    explicit Preamble(const Part& part);
    // a text without a delimiter line
    Preamble(const char* text, size_t size) : String(text, size) {}

    const Boundary& boundary() const { return _boundary; }

    // the text with its line ends made CR LF and ending in CR LF; nothing
    // for an empty text
    using Encodable::encode;
    size_t encode(const Capabilities& caps, Filter::Result* out, bool persistent) const override;

private:
    Boundary _boundary;
};

// the shared empty preamble that lookups return when there is none
const Preamble& empty_preamble();

} // namespace Orvanta::Mime
