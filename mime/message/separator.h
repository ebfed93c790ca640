// The delimiter a multipart body is cut at: "--" followed by the boundary
// parameter of the owner's content type.
#pragma once

#include <string>

namespace Orvanta::Mime {

class Header;

class Separator {
public:
    // Throws when the owner's content type does not parse strictly (which
    // for a multipart type includes having a boundary).
    explicit Separator(const Header& owner);

    const std::string& text() const { return _text; }

private:
    std::string _text;
};

} // namespace Orvanta::Mime
