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
struct x509_store_ctx_st;
struct X509_name_st;
struct X509_name_entry_st;
struct GENERAL_NAME_st;
struct asn1_string_st;
struct asn1_object_st;
struct buf_mem_st;
struct stack_st;
struct stack_st_SSL_CIPHER;
struct ssl_method_st;
struct ssl_ctx_st;
struct ssl_st;
struct ssl_cipher_st;

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
using X509_STORE_CTX = ::x509_store_ctx_st;
using X509_NAME = ::X509_name_st;
using X509_NAME_ENTRY = ::X509_name_entry_st;
using GENERAL_NAME = ::GENERAL_NAME_st;
// OpenSSL's integers, times, bit strings and strings are all this one type
using ASN1_STRING = ::asn1_string_st;
using ASN1_INTEGER = ::asn1_string_st;
using ASN1_TIME = ::asn1_string_st;
using ASN1_BIT_STRING = ::asn1_string_st;
using ASN1_OBJECT = ::asn1_object_st;
using BUF_MEM = ::buf_mem_st;
using OPENSSL_STACK = ::stack_st;
using SSL_METHOD = ::ssl_method_st;
using SSL_CTX = ::ssl_ctx_st;
using SSL = ::ssl_st;
using SSL_CIPHER = ::ssl_cipher_st;

// how EC_POINT_point2oct writes a point
enum point_conversion_form_t {
    POINT_CONVERSION_COMPRESSED = 2,
    POINT_CONVERSION_UNCOMPRESSED = 4,
    POINT_CONVERSION_HYBRID = 6
};

// the pass-phrase callback of the PEM functions
using pem_password_cb = int(char* buffer, int size, int writing, void* user);
// the key derivation function of ECDH_compute_key
using ecdh_kdf = void*(const void* in, unsigned long inSize, void* out, unsigned long* outSize);

// the element comparison and release functions of the generic stacks
using OPENSSL_sk_compfunc = int (*)(const void* a, const void* b);
using OPENSSL_sk_freefunc = void (*)(void* element);
// the certificate verification callback of a TLS connection
using SSL_verify_cb = int (*)(int preverified, x509_store_ctx_st* context);
// the callback that SSL_CTX_callback_ctrl installs, cast to this type
using ctrl_callback = void (*)();

} // namespace Orvanta::OpenSSL
