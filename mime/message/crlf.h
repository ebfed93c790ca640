// Writes text with its line ends made CR LF: a line feed without its CR gets
// one. A lone CR ends no line and stays a lone CR: made a line break, it
// would give the text a line (a header field, a delimiter) it never had.
#pragma once

#include "filter/filter.h"

namespace Orvanta::Mime {

class CrLf : public Filter::Filter {
public:
    // `terminate`: when it is destroyed, end the output with CR LF unless it
    // already ends with a line feed
    explicit CrLf(Filter::Result* next, bool terminate = false) : Filter(next), _terminate(terminate) {}
    ~CrLf() override;

    using Filter::process;
    size_t process(const char* data, size_t size, bool persistent) override;

private:
    bool _terminate;
    // the last byte given was a CR, or a line feed
    bool _cr = false;
    bool _lf = false;
};

} // namespace Orvanta::Mime
