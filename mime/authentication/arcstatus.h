// The validation of an ARC chain: the newest message signature, then the
// seals from the newest down, each checked with its key as it is fetched,
// giving the chain result (cv= "pass", "fail" or "none") and, when it fails,
// why; the first failure ends it.
#pragma once

#include "mime/authentication/signaturestatus.h"

#include <string>

namespace Orvanta::Mime {

class ArcMessageSignature;
class ArcPublicKeys;
class ArcSealOrder;
class ArcSealSignature;
class ArcSignatures;

// The check of one ARC-Message-Signature: a DKIM signature check without the
// identity rule.
class ArcMessageStatus : public SignatureStatus {
public:
    explicit ArcMessageStatus(const ArcMessageSignature* signature = nullptr) : _signature(signature) {}

    // the signature this status is about, or null
    const ArcMessageSignature* signature() const { return _signature; }

private:
    const ArcMessageSignature* _signature;
};

// The check of one ARC-Seal over the sets up to its own.
class ArcSealStatus : public SignatureStatus {
public:
    ArcSealStatus(const ArcSealSignature* signature, const ArcSealOrder* order)
        : _signature(signature), _order(order) {}

    // pass, or permerror with the reason; never throws
    const char* initialize(const Object& message, const DkimSignature& signature,
                           const OpenSSL::PublicKey& key, bool strict) override;
    using SignatureStatus::initialize;

private:
    const char* verify(const Object& message, const OpenSSL::PublicKey& key);

    const ArcSealSignature* _signature;
    const ArcSealOrder* _order;
};

class ArcStatus {
public:
    // Throws std::runtime_error "not enough public keys to determine
    // validity" when a key the chain needs was neither fetched nor failed.
    ArcStatus(const Object& message, const ArcSignatures& signatures, const ArcPublicKeys& keys);

    // cvpass, cvfail or cvnone
    const char* result() const { return _result; }
    const std::string& message() const { return _message; }
    // failed on a key lookup that may succeed later
    bool temporary() const { return _temporary; }

private:
    void validate(const Object& message, const ArcPublicKeys& keys);

    const ArcSignatures* _signatures;
    const char* _result = cvfail;
    std::string _message;
    bool _temporary = false;
};

} // namespace Orvanta::Mime
