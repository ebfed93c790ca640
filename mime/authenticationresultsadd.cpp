// The entries a verifier adds to its Authentication-Results value, one per
// check, with the properties that name what was checked.
#include "dns/spfstatus.h"
#include "mime/arcstatus.h"
#include "mime/authenticationresults.h"
#include "mime/dkimsignatures.h"
#include "mime/dmarcstatus.h"
#include "mime/signaturestatus.h"

namespace Orvanta::Mime {

namespace {

// the length of the b= prefix written as header.b
constexpr size_t prefix = 8;

std::string withoutBlanks(std::string const& text) {
    std::string out;
    for (char c : text)
        if (c != ' ' && c != '\t' && c != '\r' && c != '\n') out += c;
    return out;
}

AuthenticationResult dkim(DkimStatus const& status, DkimSignature const* signature) {
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

void AuthenticationResults::add(DmarcStatus const& status) {
    AuthenticationResult result("dmarc", status.result);
    if (status.result != Status::pass && !status.reason.empty()) result.reason(status.reason);
    result.add(AuthenticationProperty("header", "from", status.from));
    add(std::move(result));
}

void AuthenticationResults::add(ArcStatus const& status) {
    AuthenticationResult result("arc", status.result());
    if (status.result() == cvfail) result.reason(status.message());
    add(std::move(result));
}

void AuthenticationResults::add(DkimStatus const& status) {
    add(dkim(status, status.signature()));
}

void AuthenticationResults::add(Dns::SpfStatus const& status) {
    AuthenticationResult result("spf", status.result);
    result.reason(status.reason);
    if (status.mailfrom.find('@') != std::string::npos)
        result.add(AuthenticationProperty("smtp", "mailfrom", status.mailfrom));
    else
        result.add(AuthenticationProperty("smtp", "helo", status.helo));
    add(std::move(result));
}

void AuthenticationResults::add(Dns::Context const& context, Object const& message,
                                DkimSignature const& signature) {
    DkimStatus status;
    status.initialize(context, message, signature);
    // the signature is named even when its key could not be fetched
    add(dkim(status, &signature));
}

void AuthenticationResults::add(Dns::Context const& context, Object const& message,
                                DkimSignatures const& signatures) {
    for (DkimSignature const& signature : signatures.signatures())
        add(context, message, signature);
}

} // namespace Orvanta::Mime
