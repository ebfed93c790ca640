// Undoes SMTP dot-stuffing on a DATA stream and finds the line holding a
// single dot that ends it; input may arrive in arbitrary pieces.
#pragma once

#include "filter/filter.h"

#include <functional>

namespace Orvanta::Filter {

class SmtpDecode : public Filter {
public:
    // ready receives the number of bytes of the current piece that belong to
    // the data, up to and including the end of the terminating dot line.
    SmtpDecode(Result* next, std::function<void(size_t)> ready) : Filter(next), _ready(std::move(ready)) {}

    using Filter::process;
    size_t process(const char* data, size_t size, bool persistent) override;

private:
    enum State : int {
        InLine = 0,
        LineStart = 1,
        AfterDot = 2,   // a line-start dot was dropped
        AfterDotCr = 3, // ... and a CR after it is withheld
        Ended = 4,
    };

    // The end test for the bytes after a line-start dot; offset is their
    // position in the current piece.
    bool ready(const char* rest, size_t size, size_t offset);
    // The state a piece leaves behind when its unscanned rest is this.
    int state(const char* rest, size_t size) const;

    int _state = LineStart;
    std::function<void(size_t)> _ready;
};

} // namespace Orvanta::Filter
