// Writes a header value for a 7-bit transport: printable ASCII words pass
// raw, runs of other words become RFC 2047 "Q" encoded words in UTF-8, and
// lines are folded with CR LF and a space before they pass a maximum. An
// encoded word in a charset that cannot be converted passes as it stands,
// and so, for text a decoder kept them in, do words whose bytes do not
// convert (see MimeHeaderDecode).
#pragma once

#include "filter/bufferuntil.h"
#include "filter/filter.h"
#include "filter/mimeheaderencoding.h"
#include "filter/strip.h"

#include <string>

namespace Orvanta::Filter {

class MimeHeaderEncode : public Filter {
public:
    // Takes one word per call and decides how to write it.
    class Encoder : public Filter {
    public:
        // used: the bytes already on the first line; maximum: the line length
        // not to pass (a word that cannot be broken may still pass it).
        // `kept`: the text comes from a decoder that keeps encoded words
        // whose bytes do not convert.
        Encoder(size_t used, size_t maximum, const MimeHeaderEncoding& encoding, Result* next,
                bool kept = false);

        using Filter::process;
        size_t process(const char* word, size_t size, bool persistent) override;
        // Writes the gathered words, then flushes the next stage.
        size_t flush() override;

        bool printable(const char* word, size_t size) const;
        // Folds: CR LF and a space.
        size_t nextline();
        // Writes a word raw after a blank, or after a fold where the line
        // has no room for it.
        size_t put(const char* word, size_t size, bool persistent);
        // Writes a word without a kept encoded word in it: raw when it can
        // stand so, else gathered to be encoded.
        size_t putWord(const char* word, size_t size, bool persistent);
        // Writes the gathered words as encoded words and forgets them.
        size_t flushBuffer();

    private:
        // Whether a run of encoded words the decoder kept as written goes
        // back as it stands; a glued run follows the last without a blank.
        bool keeps(const char* word, size_t size, bool glued) const;
        // adds text to the gathered words, after a blank unless glued
        void gather(const char* word, size_t size, bool glued);
        // writes the gathered words and then the kept encoded word
        size_t putKept(const char* word, size_t size, bool glued);

        size_t _maximum;
        std::string _gathered;
        size_t _budget;
        bool _first = true;
        // the last word written was an encoded word kept as it stood
        bool _afterKept = false;
        MimeHeaderEncoding _encoding;
        const char* _excluded;
        bool _kept;
    };

    MimeHeaderEncode(size_t used, size_t maximum, const MimeHeaderEncoding& encoding, Result* next,
                     bool kept = false);
    // The members' destructors write the held word and the gathered text.

private:
    Encoder _encoder;
    Strip _strip;
    BufferUntil _splitter;
};

} // namespace Orvanta::Filter
