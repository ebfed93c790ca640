// Test helper: an RSA key pair made by the openssl command, loaded for
// signing, with the public key as a DKIM key record carries it.
#pragma once

#include "openssl/structures.h"

#include <string>

namespace Orvanta::Mime::Test {

struct TestKey {
    evp_pkey_st* privateKey; // kept for the whole process
    std::string privatePath; // PEM file
    std::string publicPem;
    std::string record; // the base64 body of the public key (p=)
};

// one 2048-bit key per process
TestKey const& testKey();

} // namespace Orvanta::Mime::Test
