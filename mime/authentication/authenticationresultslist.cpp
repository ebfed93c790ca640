#include "mime/authentication/authenticationresultslist.h"

#include "mime/message/header.h"

#include <exception>

namespace Orvanta::Mime {

AuthenticationResultsList::AuthenticationResultsList(const Header& header, const std::string& id,
                                                     bool strict) {
    for (const Line& line : header.lines()) {
        if (!line.key.containsAuthenticationResults()) continue;
        try {
            AuthenticationResults results(line.value.data(), line.value.size(), strict);
            if (results.id() == id) _results.push_back(std::move(results));
        } catch (const std::exception&) {
            // a value that does not parse is no one's
        }
    }
}

} // namespace Orvanta::Mime
