#include "mime/arcpublickeys.h"

#include "dns/exception.h"
#include "mime/arcsignatures.h"
#include "mime/signaturestatus.h"

namespace Orvanta::Mime {

ArcPublicKeys::ArcPublicKeys(const Dns::Context& context, const ArcSignatures& signatures)
    : ArcPublicKeys(
          [&context](const Key& key, Dns::DkimRecords& records) {
              SignatureStatus::fetch(context, key.domain, key.selector, records);
          },
          signatures) {}

ArcPublicKeys::ArcPublicKeys(const Lookup& lookup, const ArcSignatures& signatures) {
    if (signatures.size() != 0)
        _pending.insert({signatures.signature().domain(), signatures.signature().selector()});
    for (const auto& seal : signatures.seals())
        _pending.insert({seal.domain(), seal.selector()});
    while (!_pending.empty()) {
        Key key = *_pending.begin();
        if (key.domain.empty() || key.selector.empty()) {
            error(key.domain.c_str(), key.selector.c_str(), "Domain or selector not set in signature", false);
            continue;
        }
        try {
            Dns::DkimRecords records;
            lookup(key, records);
            _records.emplace(key, std::move(records));
            _pending.erase(key);
        } catch (const Dns::Exception& failure) {
            if (failure.temporary())
                error(key.domain.c_str(), key.selector.c_str(), "Temporary exception fetching DNS", true);
            else
                error(key.domain.c_str(), key.selector.c_str(), "Permanent error fetching DNS", false);
        } catch (...) {
            error(key.domain.c_str(), key.selector.c_str(), "Error fetching DNS records", false);
        }
    }
}

const Dns::DkimRecords* ArcPublicKeys::records(const Key& key) const {
    auto found = _records.find(key);
    return found == _records.end() ? nullptr : &found->second;
}

const ArcPublicKeys::Error* ArcPublicKeys::error(const Key& key) const {
    auto found = _errors.find(key);
    return found == _errors.end() ? nullptr : &found->second;
}

void ArcPublicKeys::error(const char* domain, const char* selector, const char* message, bool temporary) {
    Key key{domain, selector};
    _errors.emplace(key, Error{message, temporary});
    _pending.erase(key);
}

} // namespace Orvanta::Mime
