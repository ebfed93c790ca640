#include "mime/message/fieldtypes.h"

#include "mime/grammar/contentdisposition.h"
#include "mime/grammar/contentid.h"
#include "mime/grammar/contenttype.h"
#include "mime/grammar/mailbox.h"
#include "mime/grammar/mailboxes.h"
#include "mime/grammar/targets.h"
#include "mime/message/contenttransferencoding.h"
#include "mime/message/key.h"

#include <cstring>
#include <string>
#include <vector>

namespace Orvanta::Mime {

namespace {

template <typename Field>
std::unique_ptr<HeaderField> plain(const char* data, size_t size) {
    return std::make_unique<Field>(data, size);
}

std::unique_ptr<HeaderField> encoding(const char* data, size_t size) {
    return std::make_unique<ContentTransferEncoding>(ContentTransferEncoding::parse(data, size));
}

// the parser of an authentication value this library has itself
FieldTypes::Parser own(const char* name) {
    for (FieldTypes::Authentication& row : FieldTypes::authentication())
        if (std::strcmp(name, row.name) == 0) return std::move(row.parser);
    return nullptr;
}

struct Row {
    const char* name;
    FieldTypes::Parser parser;
    bool authentication;
};

// The typed class of every name that has one, the authentication rows last;
// while a row has no parser its values stay raw text.
std::vector<Row> typed() {
    std::vector<Row> table = {
        {"content-type", FieldTypes::strict<ContentType>, false},
        {"content-id", plain<ContentID>, false},
        {"content-transfer-encoding", encoding, false},
        {"content-disposition", plain<ContentDisposition>, false},
        {"from", FieldTypes::strict<Mailboxes>, false},
        {"resent-from", FieldTypes::strict<Mailboxes>, false},
        {"to", FieldTypes::strict<Targets>, false},
        {"cc", FieldTypes::strict<Targets>, false},
        {"bcc", FieldTypes::strict<Targets>, false},
        {"reply-to", FieldTypes::strict<Targets>, false},
        {"resent-to", FieldTypes::strict<Targets>, false},
        {"resent-cc", FieldTypes::strict<Targets>, false},
        {"resent-bcc", FieldTypes::strict<Targets>, false},
        {"resent-reply-to", FieldTypes::strict<Targets>, false},
        {"sender", FieldTypes::strict<Mailbox>, false},
    };
    for (FieldTypes::Authentication& row : FieldTypes::authentication())
        table.push_back({row.name, std::move(row.parser), true});
    return table;
}

std::vector<Row>& rows() {
    static std::vector<Row> table = typed();
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
