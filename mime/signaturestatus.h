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
extern char const* const cvpass;
extern char const* const cvfail;
extern char const* const cvnone;

class Status {
public:
    // the results of single signatures, compared by identity
    static char const* const pass;
    static char const* const fail;
    static char const* const temperror;
    static char const* const permerror;
    static char const* const none;

    virtual ~Status() = default;

    char const* result() const { return _result; }
    // null while there is none
    char const* message() const { return _message; }

protected:
    char const* _result = permerror;
    char const* _message = nullptr;
};

class SignatureStatus : public Status {
public:
    // Checks the signature over the message with the key and keeps the
    // result, which it also returns. `strict` is the key's flag that the
    // identity must lie in the signing domain itself.
    virtual char const* initialize(Object const& message, DkimSignature const& signature,
                                   OpenSSL::PublicKey const& key, bool strict);
    // Fetches the key records of the signature (selector._domainkey.domain)
    // and checks it with them; a failed lookup is temperror or permerror.
    char const* initialize(Dns::Context const& context, Object const& message,
                           DkimSignature const& signature);
    // the records in answer order, up to the first that gives a pass
    char const* initialize(Object const& message, DkimSignature const& signature,
                           Dns::DkimRecords const& records);
    // one record: refused when it does not fit the signature, else its key
    char const* initialize(Object const& message, DkimSignature const& signature,
                           Dns::DkimRecord const& record);

    // The key records published for a signing domain and selector, asked
    // for by their absolute name. Throws Dns::TimeoutException,
    // Dns::RcodeException, and Dns::Exception "No records of this type"
    // when the answer holds no key record.
    static void fetch(Dns::Context const& context, std::string const& domain, std::string const& selector,
                      Dns::DkimRecords& records);

protected:
    char const* conclude(char const* result, char const* message);
    // shared with the seal check: the bytes of a b= value, and the RSA
    // check of a signature over data
    static std::string signatureBytes(std::string const& text);
    static bool verified(evp_pkey_st* key, Algorithm const& algorithm, std::string const& data,
                         std::string const& signature);
    // the check itself, without catching
    char const* verify(Object const& message, DkimSignature const& signature, OpenSSL::PublicKey const& key);
};

class DkimStatus : public SignatureStatus {
public:
    using SignatureStatus::initialize;
    // the identity (i=) must lie in the signing domain, then the signature
    char const* initialize(Object const& message, DkimSignature const& signature,
                           OpenSSL::PublicKey const& key, bool strict) override;

    // the signature last checked, or null
    DkimSignature const* signature() const { return _signature; }

private:
    DkimSignature const* _signature = nullptr;
};

} // namespace Orvanta::Mime
