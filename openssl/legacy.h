// The few pieces of OpenSSL 1.0's structure layouts that the fall-backs for
// that series reach into directly (the 1.0 library has no functions for them).
#pragma once

#include "openssl/structures.h"

#include <cstddef>

namespace Orvanta::OpenSSL::Legacy {

// the start of a 1.0 EVP_PKEY: its reference count is the third int
struct EvpPkey {
    int type;
    int save_type;
    int references;
};

// a 1.0 X509_VAL: the validity pair of a certificate
struct Validity {
    asn1_string_st* notBefore;
    asn1_string_st* notAfter;
};

// the start of a 1.0 X509_CINF, a certificate's info block
struct CertificateInfo {
    asn1_string_st* version;
    asn1_string_st* serialNumber;
    void* signature;
    X509_name_st* issuer;
    Validity* validity;
};

// the start of a 1.0 X509
struct Certificate {
    CertificateInfo* cert_info;
    void* sig_alg;
    void* signature;
    int valid;
    int references;
};

// the start of a 1.0 SSL_CTX
struct SslContext {
    const ssl_method_st* method;
    stack_st_SSL_CIPHER* cipher_list;
};

// the byte positions of 1.0 on 64-bit Linux that the fall-backs depend on
static_assert(sizeof(void*) != 8 || offsetof(Certificate, references) == 28);
static_assert(sizeof(void*) != 8 || offsetof(CertificateInfo, validity) == 32);
static_assert(sizeof(void*) != 8 || offsetof(Validity, notAfter) == 8);
static_assert(sizeof(void*) != 8 || offsetof(SslContext, cipher_list) == 8);

// sizeof(EVP_CIPHER_CTX) in 1.0, which had no function to allocate one
constexpr std::size_t cipherContextSize = 168;

// lock numbers and source lines that the reference-count fall-back hands to CRYPTO_add_lock
constexpr int lockEvpPkey = 10;
constexpr int lineEvpPkeyUpRef = 1342;
constexpr int lockX509 = 3;
constexpr int lineX509UpRef = 2819;
// the source name and line that 1.1 and later take with every CRYPTO_free
constexpr int lineCryptoFree = 2556;
constexpr const char* sourceName = "src/openssl";

// OpenSSL 1.0's SSL_CTX_ctrl command for SSL_CTX_set_options
constexpr int ctrlOptions = 32;

} // namespace Orvanta::OpenSSL::Legacy
