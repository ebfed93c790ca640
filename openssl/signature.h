// The signature of one buffer under a key and a named digest, made here or
// given, and the check of such a signature. RSA keys shorter than
// minimumRsaBits neither sign nor verify.
#pragma once

#include "openssl/key.h"
#include "openssl/structures.h"

#include <string>

namespace Orvanta::OpenSSL {

class Signature {
public:
    // RFC 8301: a signature made with a shorter RSA key is not valid
    static const int minimumRsaBits = 1024;
    // OpenSSL's numbers of the RSA key types (NID_rsaEncryption, NID_rsassaPss)
    static const int rsaEncryption = 6;
    static const int rsaPss = 912;

    // signs the bytes; throws Exception "unknown digest" for a name OpenSSL
    // does not know, Exception "RSA key shorter than 1024 bits" for a weak
    // key, and Exception with OpenSSL's reason when signing fails
    Signature(evp_pkey_st* key, const char* data, unsigned long size, const char* digest);
    // holds given signature bytes for checking
    Signature(evp_pkey_st* key, std::string signature, const char* digest);
    ~Signature();

    // whether the held bytes are a valid signature of the data; never throws
    // for a failed check
    bool verify(const char* data, unsigned long size) const;

    // whether the key is an RSA key (not EC, Ed25519 or another type)
    static bool rsa(evp_pkey_st* key);
    // whether the key signs with PKCS #1 v1.5 padding, as the RSA algorithms
    // of DKIM and ARC mean: a plain RSA key, not an RSA-PSS one, which
    // OpenSSL lets sign with PSS only
    static bool pkcs1(evp_pkey_st* key);
    // whether the key is an RSA key shorter than minimumRsaBits
    static bool weak(evp_pkey_st* key);
    // PKCS #1 v1.5 check of an RSA signature over the data with the digest
    // "sha1", "sha256" or "sha512" (any other name is "sha256"): the
    // signature opened with the public key must be the DigestInfo of the
    // data's digest. Done without EVP_VerifyFinal, whose set-up on every call
    // (digest and signature fetches, a key context) costs more than the RSA
    // operation itself. False when the key is no RSA key or a weak one.
    static bool verifyRsa(evp_pkey_st* key, const char* digest, const std::string& data,
                          const std::string& signature);

    // the raw signature bytes
    const std::string& signature() const { return _signature; }
    const evp_md_st* digest() const { return _digest; }
    evp_pkey_st* key() const { return _key.get(); }

private:
    Key _key;
    const evp_md_st* _digest;
    std::string _signature;
};

} // namespace Orvanta::OpenSSL
