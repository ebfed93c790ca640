// A domain name in a DKIM tag or an Authentication-Results property: letters,
// digits, '-' and '.', with at least one inner dot.
#pragma once

#include <cstddef>
#include <string>

namespace Orvanta::Mime {

class AuthenticationDomainPart {
public:
    // throws std::runtime_error "invalid domain part" when the run at the
    // start of the text is empty, has no dot, or begins or ends with one
    AuthenticationDomainPart(const char* data, size_t size);

    const std::string& text() const { return _text; }
    size_t consumed() const { return _text.size(); }

private:
    std::string _text;
};

} // namespace Orvanta::Mime
