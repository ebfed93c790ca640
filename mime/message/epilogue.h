// The text of a multipart body after its last part.
#pragma once

#include "mime/grammar/encodable.h"
#include "mime/grammar/string.h"

namespace Orvanta::Mime {

class Epilogue : public String, public Encodable {
public:
    Epilogue() = default;
    Epilogue(const char* text, size_t size) : String(text, size) {}

    // the text with its line ends made CR LF and ending in CR LF; nothing
    // for an empty text
    using Encodable::encode;
    size_t encode(const Capabilities& caps, Filter::Result* out, bool persistent) const override;
};

// the shared empty epilogue that lookups return when there is none
const Epilogue& empty_epilogue();

} // namespace Orvanta::Mime
