// Decodes RFC 2231 extended text into a caller's string: percent escapes are
// undone, then the bytes are converted from their charset to UTF-8.
#pragma once

#include "filter/charset.h"
#include "filter/hexdecode.h"
#include "filter/string.h"

#include <cstddef>
#include <string>

namespace Orvanta::Mime {

class ParamDecoder {
public:
    // throws "Conversion not possible" for a charset the converter lacks
    ParamDecoder(std::string& out, char const* charset);
    virtual ~ParamDecoder() = default;

    // percent-encoded text in the value's charset
    void decode(char const* data, size_t size);
    // text taken as it is, after everything decoded so far
    void raw(char const* data, size_t size);

private:
    std::string& _out;
    Filter::String _sink;
    Filter::Charset _charset;
    Filter::HexDecode _hex;
};

} // namespace Orvanta::Mime
