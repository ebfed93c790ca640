// The canonical text of a message body that a body hash covers: line ends
// made CR LF and the empty lines at the end dropped; "relaxed" also folds
// runs of blanks to one space and drops blanks at line ends. An empty body
// is one CR LF in simple mode and nothing in relaxed mode.
#pragma once

#include "filter/result.h"

#include <cstddef>

namespace Orvanta::Mime {

// A stage that passes the canonical form of the bytes it is given to the
// next sink, in pieces of the input wherever they are canonical already (no
// copy); the text is complete after finish().
class CanonicalizeBody : public Filter::Result {
public:
    CanonicalizeBody(Filter::Result* next, bool simple) : _next(next), _simple(simple) {}

    using Filter::Result::append;
    size_t append(const char* data, size_t size, bool persistent) override;
    // ends the text (held line ends are dropped, the last line closed)
    void finish();

private:
    // the canonical bytes data[_start, _content), after what is held
    void write(const char* data, bool persistent);
    // what was held back: line ends and a blank, now followed by content
    void held();
    // the bytes of the current run that need no change, from `at`
    size_t plain(const char* data, size_t at, size_t size) const;

    Filter::Result* _next;
    bool _simple;
    // line ends seen but not written: they may be the trailing empty lines
    size_t _lines = 0;
    // relaxed: blanks seen inside the current line, not yet written
    bool _space = false;
    // a CR whose LF may come with the next piece
    bool _cr = false;
    bool _written = false;
    // within one piece: the start of the bytes not yet passed on, and the
    // end of the content among them (CR LF pairs may follow it)
    size_t _start = 0;
    size_t _content = 0;
};

} // namespace Orvanta::Mime
