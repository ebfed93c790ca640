// The checks of a signature against the key records of its domain and
// selector: the record must fit the signature (key type, service, hash, a
// key at all) before its key is used.
#include "dns/exception.h"
#include "dns/resources.h"
#include "mime/algorithm.h"
#include "mime/arcpublickeys.h"
#include "mime/dkimsignature.h"
#include "mime/signaturestatus.h"
#include "openssl/publickey.h"

#include <cstring>

namespace Orvanta::Mime {

namespace {

// the flag is one of the ':'-separated elements of the text
bool flagged(std::string const& text, char const* flag) {
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find(':', start);
        if (end == std::string::npos) end = text.size();
        std::string element = text.substr(start, end - start);
        size_t first = element.find_first_not_of(" \t");
        size_t last = element.find_last_not_of(" \t");
        if (first != std::string::npos && element.substr(first, last - first + 1) == flag) return true;
        start = end + 1;
    }
    return false;
}

} // namespace

char const* SignatureStatus::initialize(Dns::Context const& context, Object const& message,
                                        DkimSignature const& signature) {
    if (signature.domain().empty() || signature.selector().empty())
        return conclude(permerror, "Domain or selector not set in signature");
    Dns::DkimRecords records;
    try {
        fetchKeyRecords(context, signature.domain(), signature.selector(), records);
    } catch (Dns::Exception const& failure) {
        if (failure.temporary()) return conclude(temperror, "Temporary exception fetching DNS");
        return conclude(permerror, "Permanent error fetching DNS");
    }
    return initialize(message, signature, records);
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
    if (!record.s().empty() && record.s() != "*" && record.s() != "email")
        return conclude(permerror, "DNS record does not support email");
    try {
        if (!record.h().empty() && record.h() != Algorithm(signature.algorithm().c_str()).digest())
            return conclude(permerror, "Algorithm key does not match signature");
        if (record.p().empty()) return conclude(permerror, "DNS public key is empty");
        bool strict = flagged(record.t(), "s");
        OpenSSL::PublicKey key(record.p().data(), record.p().size());
        return initialize(message, signature, key, strict);
    } catch (...) {
        return conclude(permerror, "Unknown, caught exception");
    }
}

} // namespace Orvanta::Mime
