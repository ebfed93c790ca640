// The keys of an ARC chain: for the newest message signature and every seal,
// the key records of its domain and selector, or the error that kept them
// away. A key is looked up when validation first asks for it, and once: a
// chain that fails early costs no lookups for the seals behind the failure.
#pragma once

#include "dns/resolver/resources.h"

#include <functional>
#include <map>
#include <set>
#include <string>

namespace Orvanta::Dns {
class Context;
}

namespace Orvanta::Mime {

class ArcSignatures;

class ArcPublicKeys {
public:
    struct Key {
        std::string domain; // d= as written in the signature
        std::string selector;
        bool operator<(const Key& other) const {
            return domain != other.domain ? domain < other.domain : selector < other.selector;
        }
    };
    struct Error {
        std::string message;
        bool temporary; // a later try may succeed
    };
    // Fills the records of one key (its domain and selector as written in the
    // signature); throws a Dns::Exception when the lookup fails.
    using Lookup = std::function<void(const Key& key, Dns::DkimRecords& records)>;

    // blocking lookups through the context, which must outlive this object
    ArcPublicKeys(const Dns::Context& context, const ArcSignatures& signatures);
    // lookups through the caller's function (a cache, a zone of its own)
    ArcPublicKeys(const Lookup& lookup, const ArcSignatures& signatures);
    ArcPublicKeys(const ArcPublicKeys&) = delete;
    ArcPublicKeys& operator=(const ArcPublicKeys&) = delete;

    // Look the key up first when it is one of the chain's and was not
    // tried yet. Null when the key was not fetched (or is not the chain's).
    const Dns::DkimRecords* records(const Key& key) const;
    // null when the key did not fail (or is not the chain's)
    const Error* error(const Key& key) const;

    // records an error for a key unless it has one; the key is no longer pending
    void error(const char* domain, const char* selector, const char* message, bool temporary);

private:
    void fetch(const Key& key) const;
    void fail(const Key& key, const char* message, bool temporary) const;

    Lookup _lookup;
    // filled as validation asks
    mutable std::map<Key, Dns::DkimRecords> _records;
    mutable std::map<Key, Error> _errors;
    // the chain's keys not tried yet
    mutable std::set<Key> _pending;
};

} // namespace Orvanta::Mime
