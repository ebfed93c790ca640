// The validation of an ARC chain: the newest message signature and every
// seal checked with the keys fetched beforehand, giving the chain result
// (cv= "pass", "fail" or "none") and, when it fails, why.
#pragma once

#include "mime/signaturestatus.h"

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
    explicit ArcMessageStatus(ArcMessageSignature const* signature = nullptr) : _signature(signature) {}

    // the signature this status is about, or null
    ArcMessageSignature const* signature() const { return _signature; }

private:
    ArcMessageSignature const* _signature;
};

// The check of one ARC-Seal over the sets up to its own.
class ArcSealStatus : public SignatureStatus {
public:
    ArcSealStatus(ArcSealSignature const* signature, ArcSealOrder const* order)
        : _signature(signature), _order(order) {}

    // pass, or permerror with the reason; never throws
    char const* initialize(Object const& message, DkimSignature const& signature,
                           OpenSSL::PublicKey const& key, bool strict) override;
    using SignatureStatus::initialize;

private:
    char const* verify(Object const& message, OpenSSL::PublicKey const& key);

    ArcSealSignature const* _signature;
    ArcSealOrder const* _order;
};

class ArcStatus {
public:
    // Throws std::runtime_error "not enough public keys to determine
    // validity" when a key the chain needs was neither fetched nor failed.
    ArcStatus(Object const& message, ArcSignatures const& signatures, ArcPublicKeys const& keys);
    virtual ~ArcStatus() = default;

    // cvpass, cvfail or cvnone
    char const* result() const { return _result; }
    std::string const& message() const { return _message; }
    // failed on a key lookup that may succeed later
    bool temporary() const { return _temporary; }

private:
    void validate(Object const& message, ArcPublicKeys const& keys);

    ArcSignatures const* _signatures;
    char const* _result = cvfail;
    std::string _message;
    bool _temporary = false;
};

} // namespace Orvanta::Mime
