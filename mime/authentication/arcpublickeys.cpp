#include "mime/authentication/arcpublickeys.h"

#include "dns/host/exception.h"
#include "mime/authentication/arcsignatures.h"
#include "mime/authentication/signaturestatus.h"

namespace Orvanta::Mime {

ArcPublicKeys::ArcPublicKeys(const Dns::Context& context, const ArcSignatures& signatures)
    : ArcPublicKeys(
          [&context](const Key& key, Dns::DkimRecords& records) {
              SignatureStatus::fetch(context, key.domain, key.selector, records);
          },
          signatures) {}

ArcPublicKeys::ArcPublicKeys(const Lookup& lookup, const ArcSignatures& signatures) : _lookup(lookup) {
    if (signatures.size() != 0)
        _pending.insert({signatures.signature().domain(), signatures.signature().selector()});
    for (const auto& seal : signatures.seals())
        _pending.insert({seal.domain(), seal.selector()});
}

void ArcPublicKeys::fetch(const Key& key) const {
    if (_pending.count(key) == 0) return;
    if (key.domain.empty() || key.selector.empty())
        return fail(key, "Domain or selector not set in signature", false);
    try {
        Dns::DkimRecords records;
        _lookup(key, records);
        _records.emplace(key, std::move(records));
        _pending.erase(key);
    } catch (const Dns::Exception& failure) {
        if (failure.temporary())
            fail(key, "Temporary exception fetching DNS", true);
        else
            fail(key, "Permanent error fetching DNS", false);
    } catch (...) {
        fail(key, "Error fetching DNS records", false);
    }
}

const Dns::DkimRecords* ArcPublicKeys::records(const Key& key) const {
    fetch(key);
    auto found = _records.find(key);
    return found == _records.end() ? nullptr : &found->second;
}

const ArcPublicKeys::Error* ArcPublicKeys::error(const Key& key) const {
    fetch(key);
    auto found = _errors.find(key);
    return found == _errors.end() ? nullptr : &found->second;
}

void ArcPublicKeys::error(const char* domain, const char* selector, const char* message, bool temporary) {
    fail(Key{domain, selector}, message, temporary);
}

void ArcPublicKeys::fail(const Key& key, const char* message, bool temporary) const {
    _errors.emplace(key, Error{message, temporary});
    _pending.erase(key);
}

} // namespace Orvanta::Mime
