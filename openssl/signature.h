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
    Signature(evp_pkey_st* key, char const* data, unsigned long size, char const* digest);
    // holds given signature bytes for checking
    Signature(evp_pkey_st* key, std::string signature, char const* digest);
    virtual ~Signature();

    // whether the held bytes are a valid signature of the data; never throws
    // for a failed check
    bool verify(char const* data, unsigned long size) const;

    // the raw signature bytes
    const std::string& signature() const { return _signature; }
    evp_md_st const* digest() const { return _digest; }
    evp_pkey_st* key() const { return _key.get(); }

private:
    Key _key;
    evp_md_st const* _digest;
    std::string _signature;
};

} // namespace Orvanta::OpenSSL
