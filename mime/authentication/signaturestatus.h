// The result of checking one signature: one of the shared result words and,
// when it is not a pass, a fixed English message saying why. A check never
// throws: whatever goes wrong inside becomes permerror.
#pragma once

#include "openssl/structures.h"

#include <string>

namespace Orvanta::OpenSSL {
class PublicKey;
}

namespace Orvanta::Dns {
class Context;
class DkimRecord;
class DkimRecords;
} // namespace Orvanta::Dns

namespace Orvanta::Mime {

class Algorithm;
class DkimSignature;
class Object;

// the results of an ARC chain
extern const char* const cvpass;
extern const char* const cvfail;
extern const char* const cvnone;

class Status {
public:
    // the results of single signatures, compared by identity
    static const char* const pass;
    static const char* const fail;
    static const char* const temperror;
    static const char* const permerror;
    static const char* const none;

    virtual ~Status() = default;

    const char* result() const { return _result; }
    // null while there is none
    const char* message() const { return _message; }

protected:
    const char* _result = permerror;
    const char* _message = nullptr;
};

class SignatureStatus : public Status {
public:
    // Checks the signature over the message with the key and keeps the
    // result, which it also returns. `strict` is the key's flag that the
    // identity must lie in the signing domain itself.
    virtual const char* initialize(const Object& message, const DkimSignature& signature,
                                   const OpenSSL::PublicKey& key, bool strict);
    // Fetches the key records of the signature (selector._domainkey.domain)
    // and checks it with them; a failed lookup is temperror or permerror.
    const char* initialize(const Dns::Context& context, const Object& message,
                           const DkimSignature& signature);
    // the records in answer order, up to the first that gives a pass
    const char* initialize(const Object& message, const DkimSignature& signature,
                           const Dns::DkimRecords& records);
    // one record: refused when it does not fit the signature, else its key
    const char* initialize(const Object& message, const DkimSignature& signature,
                           const Dns::DkimRecord& record);

    // The key records published for a signing domain and selector, asked
    // for by their absolute name. Throws Dns::TimeoutException,
    // Dns::RcodeException, and Dns::Exception "No records of this type"
    // when the answer holds no key record.
    static void fetch(const Dns::Context& context, const std::string& domain, const std::string& selector,
                      Dns::DkimRecords& records);

protected:
    const char* conclude(const char* result, const char* message);
    // shared with the seal check: the bytes of a b= value, and the RSA
    // check of a signature over data
    static std::string signatureBytes(const std::string& text);
    static bool verified(evp_pkey_st* key, const Algorithm& algorithm, const std::string& data,
                         const std::string& signature);
    // a key that cannot serve the signature concludes permerror: one of
    // another type than RSA, or an RSA key under 1024 bits (RFC 8301)
    bool unfit(const OpenSSL::PublicKey& key);
    // the check itself, without catching
    const char* verify(const Object& message, const DkimSignature& signature, const OpenSSL::PublicKey& key);
};

class DkimStatus : public SignatureStatus {
public:
    using SignatureStatus::initialize;
    // the identity (i=) must lie in the signing domain, then the signature
    const char* initialize(const Object& message, const DkimSignature& signature,
                           const OpenSSL::PublicKey& key, bool strict) override;

    // the signature last checked, or null
    const DkimSignature* signature() const { return _signature; }

private:
    const DkimSignature* _signature = nullptr;
};

} // namespace Orvanta::Mime
