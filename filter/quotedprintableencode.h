// Encodes a stream as quoted-printable text: lines of at most 76 bytes, CR LF
// line ends, "=XX" escapes for bytes that are not printable ASCII, and no
// line that ends in white space.
#pragma once

#include "filter/filter.h"

namespace Orvanta::Filter {

class QuotedPrintableEncode : public Filter {
public:
    // Does the encoding; CR LF, a lone CR and a lone LF each end a line.
    class Worker : public Filter {
    public:
        Worker(Result* next, unsigned limit) : Filter(next), _limit(limit) {}
        // A stream that ends in a space or tab gets its soft break here when
        // nobody flushed after the last byte.
        ~Worker() override;

        static bool isPrintable(char byte);

        using Filter::process;
        size_t process(const char* data, size_t size, bool persistent) override;
        // Protects trailing white space with a soft break, then flushes on.
        size_t flush() override;

    private:
        size_t softBreak();

        unsigned _limit;
        unsigned _column = 0;
        bool _blank = false; // the last byte on the line was a space or tab
        // the last piece ended with a CR: a LF opening the next one belongs
        // to that line end (until a flush)
        bool _cr = false;
    };

    explicit QuotedPrintableEncode(Result* next);

private:
    Worker _worker;
};

} // namespace Orvanta::Filter
