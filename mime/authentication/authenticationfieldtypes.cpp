// The authentication rows of the header routing table: the classes that
// parse the signature and result headers, supplied from beside them so that
// the message model needs none of their headers.
#include "mime/authentication/arcauthenticationresults.h"
#include "mime/authentication/arcmessagesignature.h"
#include "mime/authentication/arcsealsignature.h"
#include "mime/authentication/authenticationresults.h"
#include "mime/authentication/dkimsignature.h"
#include "mime/message/fieldtypes.h"

namespace Orvanta::Mime {

std::vector<FieldTypes::Authentication> FieldTypes::authentication() {
    return {
        {"dkim-signature",
         [](const char* data, size_t size) {
             return std::make_unique<DkimSignature>(data, size, true, false);
         }},
        {"arc-seal", strict<ArcSealSignature>},
        {"arc-message-signature", strict<ArcMessageSignature>},
        {"arc-authentication-results", strict<ArcAuthenticationResults>},
        {"authentication-results", strict<AuthenticationResults>},
    };
}

} // namespace Orvanta::Mime
