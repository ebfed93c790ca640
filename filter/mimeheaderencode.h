// Writes a header value for a 7-bit transport: printable ASCII words pass
// raw, runs of other words become RFC 2047 "Q" encoded words in UTF-8, and
// lines are folded with CR LF and a space before they pass a maximum. The
// encoded words a decoder kept as written (see MimeHeaderDecode), which it
// names to the writer as `KeptWords`, pass as they stand; any other text
// that a reader could take for an encoded word is encoded.
#pragma once

#include "filter/bufferuntil.h"
#include "filter/filter.h"
#include "filter/keptwords.h"
#include "filter/mimeheaderencoding.h"
#include "filter/strip.h"

#include <string>
#include <vector>

namespace Orvanta::Filter {

class MimeHeaderEncode : public Filter, public KeptWords {
public:
    // Takes one word per call and decides how to write it.
    class Encoder : public Filter {
    public:
        // used: the bytes already on the first line; maximum: the line length
        // not to pass (a word that cannot be broken may still pass it).
        Encoder(size_t used, size_t maximum, const MimeHeaderEncoding& encoding, Result* next);

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
        // The next word holds, `at` bytes into it, `size` bytes of encoded
        // words kept as written.
        void kept(size_t at, size_t size);

    private:
        struct Span {
            size_t at;
            size_t size;
        };
        // adds text to the gathered words, after a blank unless glued
        void gather(const char* word, size_t size, bool glued);
        // writes the gathered words and then kept words as they stood,
        // which end in an encoded word where `encoded`
        size_t putKept(const char* word, size_t size, bool glued, bool encoded);

        size_t _maximum;
        std::string _gathered;
        size_t _budget;
        bool _first = true;
        // the last word written was kept as it stood, and ends in an encoded
        // word
        bool _afterKept = false;
        MimeHeaderEncoding _encoding;
        const char* _excluded;
        // the kept words of the word to come, in order
        std::vector<Span> _kept;
    };

    MimeHeaderEncode(size_t used, size_t maximum, const MimeHeaderEncoding& encoding, Result* next);
    // The members' destructors write the held word and the gathered text.

    // the next `size` bytes pushed are encoded words kept as written
    void kept(size_t size) override;

private:
    Encoder _encoder;
    Strip _strip;
    BufferUntil _splitter;
};

} // namespace Orvanta::Filter
