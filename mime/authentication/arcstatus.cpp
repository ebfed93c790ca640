#include "mime/authentication/arcstatus.h"

#include "mime/authentication/algorithm.h"
#include "mime/authentication/arcpublickeys.h"
#include "mime/authentication/arcsignatures.h"
#include "mime/authentication/canonicalizedheader.h"
#include "mime/grammar/capabilities.h"
#include "mime/message/header.h"
#include "mime/message/object.h"
#include "openssl/publickey.h"

#include <stdexcept>

namespace Orvanta::Mime {

namespace {

ArcPublicKeys::Key keyOf(const DkimSignature& signature) {
    return {signature.domain(), signature.selector()};
}

} // namespace

const char* ArcSealStatus::initialize(const Object& message, const DkimSignature&,
                                      const OpenSSL::PublicKey& key, bool) {
    try {
        return verify(message, key);
    } catch (...) {
        return conclude(permerror, "Unknown, caught exception");
    }
}

const char* ArcSealStatus::verify(const Object& message, const OpenSSL::PublicKey& key) {
    const ArcSealSignature& seal = *_signature;
    if (!seal.complete()) return conclude(permerror, "Not all parameters set in signature");
    if (unfit(key)) return _result;
    Algorithm algorithm(seal.algorithm().c_str());
    int instance = seal.instance();
    const Header& header = message.header;
    CanonicalizedHeader canonical(Capabilities(true, false, Capabilities::utf8().limits()), header, false,
                                  DkimHeaderFields());
    for (int k = seal.covered(); k <= instance; ++k) {
        canonical.add(header[_order->results(k)]);
        canonical.add(header[_order->signature(k)]);
        if (k < instance) canonical.add(header[_order->seal(k)]);
    }
    canonical.signature(header[_order->seal(instance)]);
    if (!verified(key.key(), algorithm, canonical.text(), signatureBytes(seal.signature())))
        return conclude(permerror, "Header hash does not match");
    return conclude(pass, nullptr);
}

ArcStatus::ArcStatus(const Object& message, const ArcSignatures& signatures, const ArcPublicKeys& keys)
    : _signatures(&signatures) {
    validate(message, keys);
}

void ArcStatus::validate(const Object& message, const ArcPublicKeys& keys) {
    const ArcSignatures& chain = *_signatures;
    if (!chain.error().empty()) {
        _message = chain.error();
        return;
    }
    if (chain.order() == nullptr || chain.size() == 0) {
        _result = cvnone;
        return;
    }
    size_t missing = 0;
    const ArcMessageSignature& top = chain.signature();
    if (const auto* records = keys.records(keyOf(top))) {
        ArcMessageStatus status(&top);
        if (status.initialize(message, top, *records) != Status::pass) {
            _message = std::string("Top AMS invalid: ") + (status.message() ? status.message() : "");
            return;
        }
    } else if (const auto* error = keys.error(keyOf(top))) {
        _message = error->message;
        _temporary = error->temporary;
        return;
    } else {
        ++missing;
    }
    const auto& seals = chain.seals();
    for (size_t p = seals.size(); p > 0; --p) {
        const ArcSealSignature& seal = seals[p - 1];
        std::string hop = "Invalid arc-seal hop[" + std::to_string(p) + "]: ";
        if (const auto* records = keys.records(keyOf(seal))) {
            ArcSealStatus status(&seal, chain.order());
            if (status.initialize(message, seal, *records) != Status::pass) {
                _message = hop + (status.message() ? status.message() : "");
                return;
            }
        } else if (const auto* error = keys.error(keyOf(seal))) {
            _message = hop + error->message;
            _temporary = error->temporary;
            return;
        } else {
            ++missing;
        }
    }
    if (missing != 0) throw std::runtime_error("not enough public keys to determine validity");
    _result = cvpass;
}

} // namespace Orvanta::Mime
