// The keys of an ARC chain, fetched before it is validated: for the newest
// message signature and every seal, the key records of its domain and
// selector, or the error that kept them away. Each key is looked up once.
#pragma once

#include "dns/resources.h"

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

    // blocking lookups through the context
    ArcPublicKeys(const Dns::Context& context, const ArcSignatures& signatures);
    // lookups through the caller's function (a cache, a zone of its own)
    ArcPublicKeys(const Lookup& lookup, const ArcSignatures& signatures);
    ArcPublicKeys(const ArcPublicKeys&) = delete;
    ArcPublicKeys& operator=(const ArcPublicKeys&) = delete;

    // null when the key was not fetched
    const Dns::DkimRecords* records(const Key& key) const;
    // null when the key did not fail
    const Error* error(const Key& key) const;

    // records an error for a key unless it has one; the key is no longer pending
    void error(const char* domain, const char* selector, const char* message, bool temporary);

private:
    std::map<Key, Dns::DkimRecords> _records;
    std::map<Key, Error> _errors;
    std::set<Key> _pending;
};

} // namespace Orvanta::Mime
