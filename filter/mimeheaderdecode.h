// Decodes a header value word by word into one charset: RFC 2047 encoded
// words are decoded, words are joined by single spaces, and adjacent
// encoded words are joined without one.
#pragma once

#include "filter/bufferuntil.h"
#include "filter/filter.h"
#include "filter/strip.h"

#include <string>

namespace Orvanta::Filter {

class MimeHeaderDecode : public Filter {
public:
    // Takes one word per call.
    class Decoder : public Filter {
    public:
        Decoder(const char* charset, Result* next) : Filter(next), _charset(charset) {}

        using Filter::process;
        size_t process(const char* word, size_t size, bool persistent) override;

    private:
        std::string _charset;
        size_t _words = 0;
        bool _previousEncoded = false;
    };

    MimeHeaderDecode(const char* charset, Result* next);
    // The members' destructors write the held last word and flush.

private:
    Decoder _decoder;
    Strip _strip;
    BufferUntil _splitter;
};

} // namespace Orvanta::Filter
