#include "mime/fieldtypes.h"

#include "mime/authenticationresults.h"
#include "mime/contentdisposition.h"
#include "mime/contentid.h"
#include "mime/contenttransferencoding.h"
#include "mime/contenttype.h"
#include "mime/dkimsignature.h"
#include "mime/key.h"
#include "mime/mailbox.h"
#include "mime/mailboxes.h"
#include "mime/targets.h"

#include <map>
#include <string>

namespace Orvanta::Mime {

namespace {

char const* const authenticationNames[] = {"dkim-signature", "arc-seal", "arc-message-signature",
                                           "arc-authentication-results", "authentication-results"};

// the parsers of the authentication values this library has itself
std::map<std::string, FieldTypes::Parser> builtin() {
    std::map<std::string, FieldTypes::Parser> parsers;
    parsers["dkim-signature"] = [](char const* data, size_t size) {
        return std::make_unique<DkimSignature>(data, size, true, false);
    };
    parsers["authentication-results"] = [](char const* data, size_t size) {
        return std::make_unique<AuthenticationResults>(data, size, true);
    };
    return parsers;
}

// registered parsers by lower-case name
std::map<std::string, FieldTypes::Parser>& registered() {
    static std::map<std::string, FieldTypes::Parser> parsers = builtin();
    return parsers;
}

} // namespace

bool FieldTypes::authentication(Key const& name) {
    for (char const* known : authenticationNames)
        if (name == known) return true;
    return false;
}

bool FieldTypes::add(char const* name, Parser parser) {
    if (name == nullptr) return false;
    for (char const* known : authenticationNames) {
        if (!(Key(name, std::char_traits<char>::length(name)) == known)) continue;
        if (!parser) {
            // back to the library's own parser, where it has one
            auto own = builtin();
            auto found = own.find(known);
            if (found != own.end()) parser = found->second;
        }
        if (parser) registered()[known] = std::move(parser);
        else registered().erase(known);
        return true;
    }
    return false;
}

std::unique_ptr<HeaderField> FieldTypes::parse(Key const& name, char const* data, size_t size) {
    if (name == "content-type") return std::make_unique<ContentType>(data, size, true);
    if (name == "content-id") return std::make_unique<ContentID>(data, size);
    if (name == "content-transfer-encoding")
        return std::make_unique<ContentTransferEncoding>(ContentTransferEncoding::parse(data, size));
    if (name == "content-disposition") return std::make_unique<ContentDisposition>(data, size);
    if (name.containsMailboxes()) return std::make_unique<Mailboxes>(data, size, true);
    if (name.containsTargets()) return std::make_unique<Targets>(data, size, true);
    if (name.containsMailbox()) return std::make_unique<Mailbox>(data, size, true);
    for (char const* known : authenticationNames) {
        if (!(name == known)) continue;
        auto found = registered().find(known);
        if (found == registered().end()) return nullptr;
        return found->second(data, size);
    }
    return nullptr;
}

} // namespace Orvanta::Mime
