// Decodes RFC 2231 extended text into a caller's string: percent escapes are
// undone, then the bytes are converted from their charset to UTF-8. Text in
// a charset the converter lacks is kept while it is ASCII, which every
// charset of mail spells alike.
#pragma once

#include "filter/charset.h"
#include "filter/filter.h"
#include "filter/hexdecode.h"
#include "filter/string.h"

#include <cstddef>
#include <memory>
#include <string>

namespace Orvanta::Mime {

class ParamDecoder {
public:
    ParamDecoder(std::string& out, const char* charset);

    // percent-encoded text in the value's charset, one section of it: an
    // escape it leaves unfinished stands as its text
    void decode(const char* data, size_t size);
    // text taken as it is, after everything decoded so far
    void raw(const char* data, size_t size);
    // the end of the value: throws "Conversion not possible" when the
    // charset is unknown and the text was not all ASCII
    void finish();
    // whether a byte did not convert and stands as U+FFFD in the text
    bool replaced() const { return _charset && _charset->replaced(); }

private:
    // ends the encoded text decoded so far
    void end();

    // Passes ASCII on and notes any other byte: the stage for an unknown
    // charset.
    class AsciiOnly : public Filter::Filter {
    public:
        using Filter::Filter;
        using Filter::process;
        size_t process(const char* data, size_t size, bool persistent) override;
        bool other = false;
    };

    std::string& _out;
    Filter::String _sink;
    AsciiOnly _ascii;
    std::unique_ptr<Filter::Charset> _charset; // null for an unknown charset
    Filter::HexDecode _hex;
};

} // namespace Orvanta::Mime
