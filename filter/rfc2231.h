// Percent-encoding of RFC 2231 extended parameter values: besides the bytes
// outside printable ASCII, the separators and specials of header grammars.
#pragma once

#include "filter/hexencode.h"

namespace Orvanta::Filter {

class Rfc2231 : public HexEncode {
public:
    explicit Rfc2231(Result* next);

    // The printable bytes that are escaped as well.
    static const char specials[];
};

} // namespace Orvanta::Filter
