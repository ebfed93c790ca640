// Folds text between words so that lines stay within a character limit:
// every run of white space becomes one space or one fold (CR LF SP).
#pragma once

#include "filter/bufferuntil.h"
#include "filter/linelength.h"

namespace Orvanta::Filter {

class WordWrap : public LineLength {
public:
    // limits: the characters value is the folding limit; position: where on
    // its line the output starts.
    WordWrap(const BufferSize& limits, const BufferSize& position, Result* next);

    // The line as it will stand once the held word is written.
    BufferSize size() const override;
    // the folding limit in characters and the hard limit in bytes
    const BufferSize& limits() const { return _encoder.limits(); }

    // Appends text that is never folded inside nor has its blanks merged (a
    // quoted string whose blanks are its content): it joins the word being
    // held, and a fold can only come before or after that word. Returns 0:
    // its bytes are counted when the word is written.
    size_t keep(const char* data, size_t size);

    // Places one word per call on the current line or on a folded one.
    class Encoder : public Filter {
    public:
        Encoder(Result* next, const BufferSize& limits, const BufferSize& position)
            : Filter(next), _limits(limits), _line(position) {}

        using Filter::process;
        size_t process(const char* word, size_t size, bool persistent) override;
        const BufferSize& line() const { return _line; }
        const BufferSize& limits() const { return _limits; }

    private:
        BufferSize _limits;
        BufferSize _line;
        bool _first = true;
    };

private:
    // Declared in this order so that destruction runs from the entry stage
    // down: the held word passes through the others while they still exist.
    Encoder _encoder;
    BufferUntil _until;
};

} // namespace Orvanta::Filter
