// The part of a signature check that fetches the key from DNS and decides
// whether a key record fits the signature.
#include "mime/signaturestatus.h"

#include "dns/blockingcontext.h"
#include "dns/exception.h"
#include "dns/hostname.h"
#include "dns/resources.h"
#include "mime/algorithm.h"
#include "mime/ascii.h"
#include "mime/dkimsignature.h"
#include "openssl/publickey.h"

namespace Orvanta::Mime {

namespace {

// whether a colon-separated list holds the word (blanks around elements
// ignored)
bool listed(std::string const& list, char const* word) {
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

void SignatureStatus::fetch(Dns::Context const& context, std::string const& domain,
                            std::string const& selector, Dns::DkimRecords& records) {
    Dns::Hostname host(domain.c_str(), false);
    // absolute: a key is never looked for below the local search domains
    std::string name = selector + "._domainkey." + (host.ascii() == nullptr ? "" : host.ascii()) + ".";
    context.query(name.c_str(), ns_t_txt, &records);
    if (records.timeout()) throw Dns::TimeoutException();
    if (records.rcode() > 0) throw Dns::RcodeException(records.rcode());
    if (records.records().empty()) throw Dns::Exception("No records of this type", Dns::Exception::noData);
}

char const* SignatureStatus::initialize(Dns::Context const& context, Object const& message,
                                        DkimSignature const& signature) {
    try {
        if (signature.domain().empty() || signature.selector().empty())
            return conclude(permerror, "Domain or selector not set in signature");
        Dns::DkimRecords records;
        try {
            fetch(context, signature.domain(), signature.selector(), records);
        } catch (Dns::Exception const& error) {
            if (error.temporary()) return conclude(temperror, "Temporary exception fetching DNS");
            return conclude(permerror, "Permanent error fetching DNS");
        }
        return initialize(message, signature, records);
    } catch (...) {
        // whatever a check meets inside is the signature's fault
        return conclude(permerror, "Unknown, caught exception");
    }
}

char const* SignatureStatus::initialize(Object const& message, DkimSignature const& signature,
                                        Dns::DkimRecords const& records) {
    if (records.records().empty()) return conclude(permerror, _message);
    char const* result = permerror;
    for (Dns::DkimRecord const& record : records.records()) {
        result = initialize(message, signature, record);
        if (result == pass) break;
    }
    return result;
}

char const* SignatureStatus::initialize(Object const& message, DkimSignature const& signature,
                                        Dns::DkimRecord const& record) {
    if (!record.k().empty() && record.k() != "rsa") return conclude(permerror, "Only RSA keys are supported");
    if (!record.s().empty() && !listed(record.s(), "*") && !listed(record.s(), "email"))
        return conclude(permerror, "DNS record does not support email");
    try {
        if (!record.h().empty() && !listed(record.h(), Algorithm(signature.algorithm().c_str()).digest()))
            return conclude(permerror, "Algorithm key does not match signature");
        if (record.p().empty()) return conclude(permerror, "DNS public key is empty");
        bool strict = listed(record.t(), "s");
        OpenSSL::PublicKey key(record.p().data(), record.p().size());
        return initialize(message, signature, key, strict);
    } catch (...) {
        // an unreadable key or algorithm is the record's or signature's fault
        return conclude(permerror, "Unknown, caught exception");
    }
}

bool DkimSignature::valid(Object const& message, Dns::DkimRecord const& record) const {
    DkimStatus status;
    return status.initialize(message, *this, record) == Status::pass;
}

bool DkimSignature::valid(Object const& message, Dns::DkimRecords const& records) const {
    DkimStatus status;
    return status.initialize(message, *this, records) == Status::pass;
}

} // namespace Orvanta::Mime
