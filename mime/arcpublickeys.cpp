#include "mime/arcpublickeys.h"

#include "dns/exception.h"
#include "mime/arcsignatures.h"
#include "mime/signaturestatus.h"

namespace Orvanta::Mime {

ArcPublicKeys::ArcPublicKeys(Dns::Context const& context, ArcSignatures const& signatures)
    : ArcPublicKeys(
          [&context](Key const& key, Dns::DkimRecords& records) {
              SignatureStatus::fetch(context, key.domain, key.selector, records);
          },
          signatures) {}

ArcPublicKeys::ArcPublicKeys(Lookup const& lookup, ArcSignatures const& signatures) {
    if (signatures.size() != 0)
        _pending.insert({signatures.signature().domain(), signatures.signature().selector()});
    for (auto const& seal : signatures.seals())
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
        } catch (Dns::Exception const& failure) {
            if (failure.temporary())
                error(key.domain.c_str(), key.selector.c_str(), "Temporary exception fetching DNS", true);
            else
                error(key.domain.c_str(), key.selector.c_str(), "Permanent error fetching DNS", false);
        } catch (...) {
            error(key.domain.c_str(), key.selector.c_str(), "Error fetching DNS records", false);
        }
    }
}

Dns::DkimRecords const* ArcPublicKeys::records(Key const& key) const {
    auto found = _records.find(key);
    return found == _records.end() ? nullptr : &found->second;
}

ArcPublicKeys::Error const* ArcPublicKeys::error(Key const& key) const {
    auto found = _errors.find(key);
    return found == _errors.end() ? nullptr : &found->second;
}

void ArcPublicKeys::error(char const* domain, char const* selector, char const* message, bool temporary) {
    Key key{domain, selector};
    _errors.emplace(key, Error{message, temporary});
    _pending.erase(key);
}

} // namespace Orvanta::Mime
