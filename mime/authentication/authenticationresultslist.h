// The Authentication-Results values of a header that one authentication
// service wrote (its authserv-id, compared exactly), in header order.
#pragma once

#include "mime/authentication/authenticationresults.h"

#include <string>
#include <vector>

namespace Orvanta::Mime {

class Header;

class AuthenticationResultsList {
public:
    // values that do not parse are left out
    AuthenticationResultsList(const Header& header, const std::string& id, bool strict);

    const std::vector<AuthenticationResults>& results() const { return _results; }

private:
    std::vector<AuthenticationResults> _results;
};

} // namespace Orvanta::Mime
