// A quoted string of the header grammar: its unquoted text, the bytes it took
// and whether a byte outside ASCII was read. Matches nothing unless the text
// starts with a double quote.
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

private:
    std::string _text;
    size_t _consumed = 0;
    bool _eightbit = false;
};

} // namespace Orvanta::Mime
