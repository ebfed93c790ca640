// One step of the delimiter search over a multipart text: the content before
// the next accepted delimiter line, and the bytes through that line's end.
#pragma once

#include <cstddef>

namespace Orvanta::Mime {

class Separator;

class Part {
public:
    // The first line that begins with the separator, optionally "--" and
    // blanks, and ends with CR LF, LF or the end of the text. Throws
    // ParseError "Didn't find a next boundary" (length = size) when there is
    // none.
    Part(const Separator& separator, const char* text, size_t size);
    // the whole text as content that no delimiter ends: the last part of a
    // multipart whose closing delimiter is missing
    Part(const char* text, size_t size);

    const char* text() const { return _text; }
    // the bytes before the delimiter (the line end before it included)
    size_t content() const { return _content; }
    // the bytes through the end of the delimiter line
    size_t consumed() const { return _consumed; }
    // the delimiter is followed by "--"
    bool closing() const { return _closing; }

private:
    const char* _text;
    size_t _content = 0;
    size_t _consumed = 0;
    bool _closing = false;
};

} // namespace Orvanta::Mime
