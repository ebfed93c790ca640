// The part of a signature check that fetches the key from DNS and decides
// whether a key record fits the signature.
#include "mime/authentication/signaturestatus.h"

#include "dns/host/exception.h"
#include "dns/host/hostname.h"
#include "dns/resolver/blockingcontext.h"
#include "dns/resolver/resources.h"
#include "mime/authentication/algorithm.h"
#include "mime/authentication/dkimsignature.h"
#include "mime/grammar/ascii.h"
#include "openssl/publickey.h"

#include <map>
#include <memory>

namespace Orvanta::Mime {

namespace {

// The key of a p= text, read once per thread: reading a key costs more than
// checking a signature with it, and a chain checks several signatures with
// the same few keys. Bounded, since the texts come from the network.
const OpenSSL::PublicKey& publicKey(const std::string& text) {
    thread_local std::map<std::string, std::unique_ptr<OpenSSL::PublicKey>> keys;
    auto found = keys.find(text);
    if (found != keys.end()) return *found->second;
    auto key = std::make_unique<OpenSSL::PublicKey>(text.data(), text.size());
    if (keys.size() >= 32) keys.clear();
    return *keys.emplace(text, std::move(key)).first->second;
}

// whether a colon-separated list holds the word (blanks around elements
// ignored)
bool listed(const std::string& list, const char* word) {
    size_t start = 0;
    while (start <= list.size()) {
        size_t end = list.find(':', start);
        if (end == std::string::npos) end = list.size();
        size_t first = start;
        size_t last = end;
        while (first < last && Ascii::isSpace(list[first]))
            ++first;
        while (last > first && Ascii::isSpace(list[last - 1]))
            --last;
        if (list.compare(first, last - first, word) == 0) return true;
        start = end + 1;
    }
    return false;
}

} // namespace

void SignatureStatus::fetch(const Dns::Context& context, const std::string& domain,
                            const std::string& selector, Dns::DkimRecords& records) {
    Dns::Hostname host(domain.c_str(), false);
    // absolute: a key is never looked for below the local search domains
    std::string name = selector + "._domainkey." + (host.ascii() == nullptr ? "" : host.ascii()) + ".";
    context.query(name.c_str(), ns_t_txt, &records);
    if (records.timeout()) throw Dns::TimeoutException();
    if (records.rcode() > 0) throw Dns::RcodeException(records.rcode());
    if (records.records().empty()) throw Dns::Exception("No records of this type", Dns::Exception::noData);
}

const char* SignatureStatus::initialize(const Dns::Context& context, const Object& message,
                                        const DkimSignature& signature) {
    try {
        if (signature.domain().empty() || signature.selector().empty())
            return conclude(permerror, "Domain or selector not set in signature");
        Dns::DkimRecords records;
        try {
            fetch(context, signature.domain(), signature.selector(), records);
        } catch (const Dns::Exception& error) {
            if (error.temporary()) return conclude(temperror, "Temporary exception fetching DNS");
            return conclude(permerror, "Permanent error fetching DNS");
        }
        return initialize(message, signature, records);
    } catch (...) {
        // whatever a check meets inside is the signature's fault
        return conclude(permerror, "Unknown, caught exception");
    }
}

const char* SignatureStatus::initialize(const Object& message, const DkimSignature& signature,
                                        const Dns::DkimRecords& records) {
    if (records.records().empty()) return conclude(permerror, _message);
    const char* result = permerror;
    for (const Dns::DkimRecord& record : records.records()) {
        result = initialize(message, signature, record);
        if (result == pass) break;
    }
    return result;
}

const char* SignatureStatus::initialize(const Object& message, const DkimSignature& signature,
                                        const Dns::DkimRecord& record) {
    // "p=; p=KEY" would otherwise turn a revoked key into a usable one
    if (!record.repeated().empty()) return conclude(permerror, "Key record names a tag twice");
    // "p=KEY; junk": what a record that is no tag list means is not known
    if (!record.untagged().empty())
        return conclude(permerror, "Key record holds a piece that is no tag=value");
    if (!record.k().empty() && record.k() != "rsa") return conclude(permerror, "Only RSA keys are supported");
    if (!record.s().empty() && !listed(record.s(), "*") && !listed(record.s(), "email"))
        return conclude(permerror, "DNS record does not support email");
    try {
        if (!record.h().empty() && !listed(record.h(), Algorithm(signature.algorithm().c_str()).digest()))
            return conclude(permerror, "Algorithm key does not match signature");
        if (record.p().empty()) return conclude(permerror, "DNS public key is empty");
        bool strict = listed(record.t(), "s");
        return initialize(message, signature, publicKey(record.p()), strict);
    } catch (...) {
        // an unreadable key or algorithm is the record's or signature's fault
        return conclude(permerror, "Unknown, caught exception");
    }
}

bool DkimSignature::valid(const Object& message, const Dns::DkimRecord& record) const {
    DkimStatus status;
    return status.initialize(message, *this, record) == Status::pass;
}

bool DkimSignature::valid(const Object& message, const Dns::DkimRecords& records) const {
    DkimStatus status;
    return status.initialize(message, *this, records) == Status::pass;
}

} // namespace Orvanta::Mime
