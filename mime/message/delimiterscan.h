// A sink that keeps nothing and only answers whether what it was given holds
// a line that a reader takes for a delimiter of a multipart: one that begins
// with the separator, optionally "--" and blanks, and ends with a line end or
// the end of the text (the lines at which a multipart text is cut when read).
#pragma once

#include "filter/result.h"

#include <cstddef>
#include <string>

namespace Orvanta::Mime {

class Separator;

class DelimiterScan : public Filter::Result {
public:
    // the separator is not copied: it must outlive the scan
    explicit DelimiterScan(const Separator& separator);

    using Result::append;
    size_t append(const char* data, size_t size, bool persistent) override;

    // whether a delimiter line was seen, the text's last line included
    bool found() const;

private:
    // where on the current line the scan is
    enum class State { separator, after, dash, padding, cr, other };

    void step(char c);

    const std::string& _text;
    // the separator holds no line feed: it can begin a line
    bool _line;
    State _state;
    size_t _matched = 0; // bytes of the separator the line began with
    bool _found = false;
};

} // namespace Orvanta::Mime
