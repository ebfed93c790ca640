// OpenSSL's structures, declared by the tags that OpenSSL's own headers use,
// so that the binding needs neither those headers nor the libraries.
#pragma once

struct bio_st;
struct bio_method_st;
struct evp_pkey_st;
struct evp_md_st;
struct evp_md_ctx_st;
struct evp_cipher_st;
struct evp_cipher_ctx_st;
struct rsa_st;
struct ec_key_st;
struct ec_group_st;
struct ec_point_st;
struct bignum_st;
struct bignum_ctx;
struct bn_gencb_st;
struct engine_st;
struct x509_st;

namespace Orvanta::OpenSSL {

using BIO = ::bio_st;
using BIO_METHOD = ::bio_method_st;
using EVP_PKEY = ::evp_pkey_st;
using EVP_MD = ::evp_md_st;
using EVP_MD_CTX = ::evp_md_ctx_st;
using EVP_CIPHER = ::evp_cipher_st;
using EVP_CIPHER_CTX = ::evp_cipher_ctx_st;
using RSA = ::rsa_st;
using EC_KEY = ::ec_key_st;
using EC_GROUP = ::ec_group_st;
using EC_POINT = ::ec_point_st;
using BIGNUM = ::bignum_st;
using BN_CTX = ::bignum_ctx;
using BN_GENCB = ::bn_gencb_st;
using ENGINE = ::engine_st;
using X509 = ::x509_st;

// how EC_POINT_point2oct writes a point
enum point_conversion_form_t {
    POINT_CONVERSION_COMPRESSED = 2,
    POINT_CONVERSION_UNCOMPRESSED = 4,
    POINT_CONVERSION_HYBRID = 6
};

// the pass-phrase callback of the PEM functions
using pem_password_cb = int(char* buffer, int size, int writing, void* user);
// the key derivation function of ECDH_compute_key
using ecdh_kdf = void*(void const* in, unsigned long inSize, void* out, unsigned long* outSize);

} // namespace Orvanta::OpenSSL
