#include "mime/fieldtypes.h"

#include "mime/arcauthenticationresults.h"
#include "mime/arcmessagesignature.h"
#include "mime/arcsealsignature.h"
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

#include <cstring>
#include <string>
#include <vector>

namespace Orvanta::Mime {

namespace {

template <typename Field>
std::unique_ptr<HeaderField> strict(const char* data, size_t size) {
    return std::make_unique<Field>(data, size, true);
}

template <typename Field>
std::unique_ptr<HeaderField> plain(const char* data, size_t size) {
    return std::make_unique<Field>(data, size);
}

std::unique_ptr<HeaderField> encoding(const char* data, size_t size) {
    return std::make_unique<ContentTransferEncoding>(ContentTransferEncoding::parse(data, size));
}

// the parsers of the authentication values this library has itself
FieldTypes::Parser own(const char* name) {
    if (std::strcmp(name, "dkim-signature") == 0)
        return [](const char* data, size_t size) {
            return std::make_unique<DkimSignature>(data, size, true, false);
        };
    if (std::strcmp(name, "authentication-results") == 0) return strict<AuthenticationResults>;
    if (std::strcmp(name, "arc-seal") == 0) return strict<ArcSealSignature>;
    if (std::strcmp(name, "arc-message-signature") == 0) return strict<ArcMessageSignature>;
    if (std::strcmp(name, "arc-authentication-results") == 0) return strict<ArcAuthenticationResults>;
    return nullptr;
}

struct Row {
    const char* name;
    FieldTypes::Parser parser;
    bool authentication;
};

// The typed class of every name that has one. The authentication rows are
// completed by the classes of those headers, here or through add(); while a
// row has no parser its values stay raw text.
std::vector<Row>& rows() {
    static std::vector<Row> table = {
        {"content-type", strict<ContentType>, false},
        {"content-id", plain<ContentID>, false},
        {"content-transfer-encoding", encoding, false},
        {"content-disposition", plain<ContentDisposition>, false},
        {"from", strict<Mailboxes>, false},
        {"resent-from", strict<Mailboxes>, false},
        {"to", strict<Targets>, false},
        {"cc", strict<Targets>, false},
        {"bcc", strict<Targets>, false},
        {"reply-to", strict<Targets>, false},
        {"resent-to", strict<Targets>, false},
        {"resent-cc", strict<Targets>, false},
        {"resent-bcc", strict<Targets>, false},
        {"resent-reply-to", strict<Targets>, false},
        {"sender", strict<Mailbox>, false},
        {"dkim-signature", own("dkim-signature"), true},
        {"arc-seal", own("arc-seal"), true},
        {"arc-message-signature", own("arc-message-signature"), true},
        {"arc-authentication-results", own("arc-authentication-results"), true},
        {"authentication-results", own("authentication-results"), true},
    };
    return table;
}

Row* find(const Key& name) {
    for (Row& row : rows())
        if (name == row.name) return &row;
    return nullptr;
}

} // namespace

bool FieldTypes::known(const Key& name) {
    return find(name) != nullptr;
}

bool FieldTypes::add(const char* name, Parser parser) {
    if (name == nullptr) return false;
    Row* row = find(Key(name, std::char_traits<char>::length(name)));
    if (row == nullptr || !row->authentication) return false;
    // an empty parser puts back the library's own, where it has one
    row->parser = parser ? std::move(parser) : own(row->name);
    return true;
}

std::unique_ptr<HeaderField> FieldTypes::parse(const Key& name, const char* data, size_t size) {
    const Row* row = find(name);
    if (row == nullptr || !row->parser) return nullptr;
    return row->parser(data, size);
}

} // namespace Orvanta::Mime
