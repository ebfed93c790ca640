#include "mime/authenticationresultslist.h"

#include "mime/header.h"

#include <exception>

namespace Orvanta::Mime {

AuthenticationResultsList::AuthenticationResultsList(Header const& header, std::string const& id,
                                                     bool strict) {
    for (Line const& line : header.lines()) {
        if (!line.key.containsAuthenticationResults()) continue;
        try {
            AuthenticationResults results(line.value.data(), line.value.size(), strict);
            if (results.id() == id) _results.push_back(std::move(results));
        } catch (std::exception const&) {
            // a value that does not parse is no one's
        }
    }
}

} // namespace Orvanta::Mime
