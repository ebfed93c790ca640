// The entries a verifier adds to its Authentication-Results value, one per
// check, with the properties that name what was checked.
#include "dns/resolver/spfstatus.h"
#include "mime/authentication/arcstatus.h"
#include "mime/authentication/authenticationresults.h"
#include "mime/authentication/dkimsignatures.h"
#include "mime/authentication/dmarcstatus.h"
#include "mime/authentication/signaturestatus.h"

namespace Orvanta::Mime {

namespace {

// the length of the b= prefix written as header.b
constexpr size_t prefix = 8;

std::string withoutBlanks(const std::string& text) {
    std::string out;
    for (char c : text)
        if (c != ' ' && c != '\t' && c != '\r' && c != '\n') out += c;
    return out;
}

AuthenticationResult dkim(const DkimStatus& status, const DkimSignature* signature) {
    AuthenticationResult result("dkim", status.result());
    if (status.result() != Status::pass && status.message() != nullptr) result.reason(status.message());
    if (signature != nullptr) {
        result.add(AuthenticationProperty("header", "i", signature->auid()));
        // a prefix of b= tells the signatures of a message apart
        result.add(
            AuthenticationProperty("header", "b", withoutBlanks(signature->signature()).substr(0, prefix)));
    }
    return result;
}

} // namespace

void AuthenticationResults::add(const DmarcStatus& status) {
    AuthenticationResult result("dmarc", status.result);
    if (status.result != Status::pass && !status.reason.empty()) result.reason(status.reason);
    result.add(AuthenticationProperty("header", "from", status.from));
    add(std::move(result));
}

void AuthenticationResults::add(const ArcStatus& status) {
    AuthenticationResult result("arc", status.result());
    if (status.result() == cvfail) result.reason(status.message());
    add(std::move(result));
}

void AuthenticationResults::add(const DkimStatus& status) {
    add(dkim(status, status.signature()));
}

void AuthenticationResults::add(const Dns::SpfStatus& status) {
    AuthenticationResult result("spf", status.result);
    result.reason(status.reason);
    if (status.mailfrom.find('@') != std::string::npos)
        result.add(AuthenticationProperty("smtp", "mailfrom", status.mailfrom));
    else
        result.add(AuthenticationProperty("smtp", "helo", status.helo));
    add(std::move(result));
}

void AuthenticationResults::add(const Dns::Context& context, const Object& message,
                                const DkimSignature& signature) {
    DkimStatus status;
    status.initialize(context, message, signature);
    // the signature is named even when its key could not be fetched
    add(dkim(status, &signature));
}

void AuthenticationResults::add(const Dns::Context& context, const Object& message,
                                const DkimSignatures& signatures) {
    for (const DkimSignature& signature : signatures.signatures())
        add(context, message, signature);
}

} // namespace Orvanta::Mime
