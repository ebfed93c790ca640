// Encodes a stream as quoted-printable text: lines of at most 76 bytes, CR LF
// line ends, "=XX" escapes for bytes that are not printable ASCII, and no
// line that ends in white space. No line starts with "-" (it is written
// "=2D"), so that no line of the text, a soft break's included, can be
// taken for a multipart delimiter.
#pragma once

#include "filter/filter.h"

namespace Orvanta::Filter {

class QuotedPrintableEncode : public Filter {
public:
    // Does the encoding; CR LF and a lone LF each end a line. A lone CR
    // ends none (a line break there would give the text a line it never
    // had) and is written "=0D".
    class Worker : public Filter {
    public:
        Worker(Result* next, unsigned limit) : Filter(next), _limit(limit) {}
        // A stream that ends in a space or tab gets its soft break here when
        // nobody flushed after the last byte, and one that ends in a CR its
        // escape.
        ~Worker() override;

        static bool isPrintable(char byte);

        using Filter::process;
        size_t process(const char* data, size_t size, bool persistent) override;
        // Protects trailing white space with a soft break, then flushes on.
        size_t flush() override;

    private:
        size_t softBreak();
        // writes the CR held from the end of the last piece as "=0D"
        size_t loneCr();

        unsigned _limit;
        unsigned _column = 0;
        bool _blank = false; // the last byte on the line was a space or tab
        // the last piece ended with a CR, not written yet: a LF opening the
        // next one makes it a line end, anything else (or a flush) a lone CR
        bool _cr = false;
    };

    explicit QuotedPrintableEncode(Result* next);

private:
    Worker _worker;
};

} // namespace Orvanta::Filter
