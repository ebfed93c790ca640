// Test helper: an RSA key pair made by the openssl command, loaded for
// signing, with the public key as a DKIM key record carries it.
#pragma once

#include "mime/authentication/dkimkey.h"
#include "openssl/structures.h"

#include <cstddef>
#include <string>

namespace Orvanta::Mime::Test {

struct TestKey {
    evp_pkey_st* privateKey; // kept for the whole process
    std::string privatePath; // PEM file
    std::string publicPem;
    std::string record; // the base64 body of the public key (p=)
};

// the base64 body of a public key's PEM text, as a key record's p= holds it
std::string record(const std::string& pem);

// one 2048-bit key per process
const TestKey& testKey();

// the test key for signing as the domain and selector
DkimKey signingKey(const char* algorithm = "rsa-sha256", const char* domain = "example.com",
                   const char* selector = "sel");

// The text with a DKIM-Signature on top made from the given tags (all but bh
// and b) by the library's own pieces, so that any tag can be tried; the body
// hash covers `length` bytes of the canonical body. With `privatePath` the
// openssl command signs, with that key, instead of the library.
std::string signWith(const std::string& tags, const std::string& text,
                     size_t length = static_cast<size_t>(-1), const std::string& privatePath = "");

} // namespace Orvanta::Mime::Test
