#include "mime/authentication/arcauthenticationresults.h"

#include "filter/result.h"
#include "mime/authentication/authenticationtokens.h"
#include "mime/grammar/comments.h"
#include "mime/grammar/require.h"
#include "mime/grammar/whitespace.h"

#include <stdexcept>
#include <string>

namespace Orvanta::Mime {

namespace {

size_t cfws(const char* data, size_t size, size_t at) {
    return at + Whitespace(data + at, size - at, true).consumed();
}

} // namespace

ArcAuthenticationInstance::ArcAuthenticationInstance(const char* data, size_t size) {
    size_t at = cfws(data, size, 0);
    std::string word;
    at += AuthenticationKeyword(word, data + at, size - at).consumed();
    if (word != "i") throw std::runtime_error("Arc-Authentication-Results header does not start with i");
    at = cfws(data, size, at);
    Require(data + at, size - at, '=');
    at = cfws(data, size, at + 1);
    std::string number;
    at += AuthenticationKeyword(number, data + at, size - at).consumed();
    _instance = std::stoi(number);
    at = cfws(data, size, at);
    Require(data + at, size - at, ';');
    _consumed = at + 1;
}

ArcAuthenticationResults::ArcAuthenticationResults(const char* data, size_t size, bool strict)
    : ArcAuthenticationInstance(data, size),
      AuthenticationResults(data + consumed(), size - consumed(), strict),
      _whole(!Comments::any(data, size)) {}

size_t ArcAuthenticationResults::encode(const Capabilities& caps, Filter::Result* out,
                                        bool persistent) const {
    std::string number = std::to_string(instance());
    size_t total = out->append("i=", 2, true);
    total += out->append(number.data(), number.size(), false);
    total += out->append(";", 1, true);
    return total + AuthenticationResults::encode(caps, out, persistent);
}

} // namespace Orvanta::Mime
