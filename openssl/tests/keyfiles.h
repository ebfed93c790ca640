// Key pairs made by the openssl command for the tests, and small file helpers.
#pragma once

#include "openssl/structures.h"

#include <memory>
#include <string>

namespace Orvanta::OpenSSL::Test {

struct KeyFiles {
    std::string privatePath;
    std::string publicPath;
    std::string publicPem;
};

// "rsa" (2048 bits), "rsa512" (too weak to sign or verify with), "rsa-pss"
// (2048 bits, signing with PSS only) or "ec" (P-256); made once per process
const KeyFiles& keyFiles(const std::string& kind);

// whether `openssl dgst -<digest> -verify` accepts the signature of the data
// under the public key of `kind`
bool opensslVerifies(const std::string& kind, const std::string& digest, const std::string& data,
                     const std::string& signature);

struct PkeyFree {
    void operator()(evp_pkey_st* key) const;
};
using OwnedKey = std::unique_ptr<evp_pkey_st, PkeyFree>;

// a private key from a PEM file; throws when there is none
OwnedKey readPrivateKey(const std::string& path);

std::string readFile(const std::string& path);
void writeFile(const std::string& path, const std::string& bytes);

} // namespace Orvanta::OpenSSL::Test
