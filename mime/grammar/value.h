// The value of a header field: a view compared ignoring ASCII case.
#pragma once

#include "mime/grammar/istring.h"

namespace Orvanta::Mime {

class Value : public IString {
public:
    using IString::IString;
};

} // namespace Orvanta::Mime
