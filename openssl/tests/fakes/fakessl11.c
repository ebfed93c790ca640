/* A stand-in for a library of the 1.1 series, printing every call. Built once
   as is and once also exporting the 1.0 locking and start-up functions, as
   some 1.1 builds still do. */
#include <stdio.h>
#include <stdlib.h>

void* BIO_new(const void* method) {
    (void)method;
    printf("BIO_new\n");
    return 0;
}

const void* TLS_client_method(void) {
    return "method";
}
int SSL_CTX_dane_enable(void* context) {
    (void)context;
    return 1;
}

#ifdef FAKE_WITH_LOCKING
void CRYPTO_set_locking_callback(void* callback) {
    printf("CRYPTO_set_locking_callback %s\n", callback ? "set" : "null");
}
void* CRYPTO_get_locking_callback(void) {
    printf("CRYPTO_get_locking_callback\n");
    return 0;
}
int CRYPTO_num_locks(void) {
    printf("CRYPTO_num_locks\n");
    return 1;
}
void OpenSSL_add_all_digests(void) {
    printf("OpenSSL_add_all_digests\n");
}
int SSL_library_init(void) {
    printf("SSL_library_init\n");
    return 1;
}
void SSL_load_error_strings(void) {
    printf("SSL_load_error_strings\n");
}
#endif

void CONF_modules_free(void) {
    printf("CONF_modules_free\n");
}
void EVP_cleanup(void) {
    printf("EVP_cleanup\n");
}
void ERR_free_strings(void) {
    printf("ERR_free_strings\n");
}

void* EVP_MD_CTX_new(void) {
    printf("EVP_MD_CTX_new\n");
    return malloc(48);
}
void EVP_MD_CTX_free(void* context) {
    printf("EVP_MD_CTX_free\n");
    free(context);
}

int EVP_PKEY_up_ref(void* key) {
    (void)key;
    printf("EVP_PKEY_up_ref\n");
    return 1;
}

void* EVP_CIPHER_CTX_new(void) {
    printf("EVP_CIPHER_CTX_new\n");
    return malloc(16);
}
void EVP_CIPHER_CTX_free(void* context) {
    printf("EVP_CIPHER_CTX_free\n");
    free(context);
}

int EVP_PKEY_size(void* key) {
    (void)key;
    printf("EVP_PKEY_size\n");
    return 256;
}

const char* OpenSSL_version(int type) {
    return type == 0 ? "Fake 1.1" : "?";
}

/* TLS */
const void* TLS_server_method(void) {
    return "server method";
}
unsigned long SSL_CTX_set_options(void* context, unsigned long options) {
    (void)context;
    printf("SSL_CTX_set_options %lu\n", options);
    return options | 0x100;
}
void SSL_CTX_set_security_level(void* context, int level) {
    (void)context;
    printf("SSL_CTX_set_security_level %d\n", level);
}
int SSL_CTX_set_ciphersuites(void* context, const char* list) {
    (void)context;
    printf("SSL_CTX_set_ciphersuites %s\n", list);
    return 1;
}
void* SSL_CTX_get_ciphers(const void* context) {
    (void)context;
    printf("SSL_CTX_get_ciphers\n");
    return 0;
}
void* SSL_get_peer_certificate(const void* ssl) {
    (void)ssl;
    printf("SSL_get_peer_certificate\n");
    return 0;
}
void CRYPTO_free(void* pointer, const char* file, int line) {
    printf("CRYPTO_free %s %s %d\n", pointer ? "set" : "null", file, line);
}
int SSL_CTX_check_private_key(const void* context) {
    (void)context;
    return -1;
}
unsigned int SSL_CIPHER_get_id(const void* cipher) {
    (void)cipher;
    return 0x80000001u;
}
/* delivers `size - 16` bytes without writing any: what the memory checker
   then believes of the buffer is the binding's doing alone */
int SSL_read(void* ssl, void* buffer, int size) {
    (void)ssl;
    (void)buffer;
    return size - 16;
}

/* certificates */
long X509_get_version(const void* certificate) {
    (void)certificate;
    printf("X509_get_version\n");
    return 2;
}
void* X509_getm_notBefore(const void* certificate) {
    (void)certificate;
    printf("X509_getm_notBefore\n");
    return 0;
}
void* X509_getm_notAfter(const void* certificate) {
    (void)certificate;
    printf("X509_getm_notAfter\n");
    return 0;
}
int X509_up_ref(void* certificate) {
    (void)certificate;
    printf("X509_up_ref\n");
    return 1;
}
int OPENSSL_sk_push(void* stack, const void* data) {
    (void)stack;
    (void)data;
    printf("OPENSSL_sk_push\n");
    return 1;
}
