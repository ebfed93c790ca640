// The few pieces of OpenSSL 1.0's structure layouts that the fall-backs for
// that series reach into directly (the 1.0 library has no functions for them).
#pragma once

#include <cstddef>

namespace Orvanta::OpenSSL::Legacy {

// the start of a 1.0 EVP_PKEY: its reference count is the third int
struct EvpPkey {
    int type;
    int save_type;
    int references;
};

// sizeof(EVP_CIPHER_CTX) in 1.0, which had no function to allocate one
constexpr std::size_t cipherContextSize = 168;

// lock numbers and source lines that the reference-count fall-back hands to CRYPTO_add_lock
constexpr int lockEvpPkey = 10;
constexpr int lineEvpPkeyUpRef = 1342;
constexpr const char* sourceName = "src/openssl";

} // namespace Orvanta::OpenSSL::Legacy
