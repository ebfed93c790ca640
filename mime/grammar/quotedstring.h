// A quoted string of the header grammar: its unquoted text, the bytes it took,
// whether a byte outside ASCII was read and whether a control character was.
// Matches nothing unless the text starts with a double quote.
#pragma once

#include <cstddef>
#include <string>

namespace Orvanta::Mime {

class QuotedString {
public:
    QuotedString(const char* data, size_t size);

    const std::string& text() const { return _text; }
    size_t consumed() const { return _consumed; }
    bool eightbit() const { return _eightbit; }
    // A control character stood between the quotes, escaped or not, other
    // than the line end of a fold; the text may hold a space for it (a tab,
    // a form feed) or nothing (a line end that folds nothing).
    bool control() const { return _control; }

private:
    std::string _text;
    size_t _consumed = 0;
    bool _eightbit = false;
    bool _control = false;
};

} // namespace Orvanta::Mime
