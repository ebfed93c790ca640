// A view that compares with a zero-terminated text ignoring ASCII case; the
// lengths must match.
#pragma once

#include "mime/grammar/string.h"

namespace Orvanta::Mime {

class IString : public String {
public:
    using String::String;

    bool operator==(const char* text) const;
    bool operator!=(const char* text) const { return !(*this == text); }
};

} // namespace Orvanta::Mime
