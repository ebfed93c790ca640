// Keeps the iconv descriptors of the conversions done before, ready for the
// next text: glibc loads a charset's conversion module each time one is
// opened and unloads it when it is closed, which costs far more than
// converting a word of a header.
#pragma once

#include <iconv.h>
#include <string>

namespace Orvanta::Filter {

class ConverterCache {
public:
    // A descriptor from `from` to `to` in its initial state, one given back
    // before or a new one; (iconv_t)-1 when iconv does not know the pair.
    // It belongs to the caller, on any thread, until it is given back.
    static iconv_t take(const std::string& to, const std::string& from);
    // Takes back a descriptor of that pair: returned to its initial state
    // and kept for the next caller, or closed when it does not return or
    // enough are kept.
    static void give(const std::string& to, const std::string& from, iconv_t descriptor);
};

} // namespace Orvanta::Filter
