// The domain of an address: dot-separated atoms, or a literal in square
// brackets holding an IPv4 address or an "IPv6:" address.
#pragma once

#include <cstddef>
#include <string>

namespace Orvanta::Mime {

class DomainPart {
public:
    DomainPart(const char* data, size_t size);

    const std::string& text() const { return _text; }
    size_t consumed() const { return _consumed; }
    // the blanks and comments after the domain that `consumed` counts too
    size_t trailing() const { return _trailing; }
    bool literal() const { return !_text.empty() && _text[0] == '['; }

private:
    // reads the literal from its '['; returns the bytes after it
    size_t readLiteral(const char* data, size_t size);

    std::string _text;
    size_t _consumed = 0;
    size_t _trailing = 0;
};

} // namespace Orvanta::Mime
