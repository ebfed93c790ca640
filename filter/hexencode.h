// Percent-encodes the bytes of a stream that are not printable ASCII or that
// belong to a given set: "%" and two lower-case hex digits per byte.
#pragma once

#include "filter/filter.h"

namespace Orvanta::Filter {

class HexEncode : public Filter {
public:
    // set: bytes to escape although printable (zero-terminated, kept alive by
    // the caller; may be null).
    HexEncode(Result* next, const char* set);

    // Whether the byte passes unescaped.
    bool allowed(char byte) const;

    using Filter::process;
    size_t process(const char* data, size_t size, bool persistent) override;

    static const char _hex[17];

private:
    const char* _set;
};

} // namespace Orvanta::Filter
