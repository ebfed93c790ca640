// A public key read from PEM text, or from the bare base64 body of a
// "PUBLIC KEY" block as a DKIM key record carries it.
#pragma once

#include "openssl/structures.h"

namespace Orvanta::OpenSSL {

class PublicKey {
public:
    // throws Exception when the text holds no public key either way
    PublicKey(const char* data, unsigned long size);
    PublicKey(const PublicKey&) = delete;
    PublicKey& operator=(const PublicKey&) = delete;
    ~PublicKey();

    // owned by this object
    evp_pkey_st* key() const { return _key; }

private:
    evp_pkey_st* _key = nullptr;
};

} // namespace Orvanta::OpenSSL
