// The signature of one buffer under a key and a named digest, made here or
// given, and the check of such a signature.
#pragma once

#include "openssl/key.h"
#include "openssl/structures.h"

#include <string>

namespace Orvanta::OpenSSL {

class Signature {
public:
    // signs the bytes; throws Exception "unknown digest" for a name OpenSSL
    // does not know, and Exception with OpenSSL's reason when signing fails
    Signature(evp_pkey_st* key, const char* data, unsigned long size, const char* digest);
    // holds given signature bytes for checking
    Signature(evp_pkey_st* key, std::string signature, const char* digest);
    ~Signature();

    // whether the held bytes are a valid signature of the data; never throws
    // for a failed check
    bool verify(const char* data, unsigned long size) const;

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
