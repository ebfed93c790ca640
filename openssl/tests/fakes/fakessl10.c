/* A stand-in for a library of the 1.0 series: it exports the old names and
   prints every call, so that a scenario's output shows what the binding did.
   Built once as is and once without SSL_library_init. */
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

typedef void locking_callback(int mode, int n, const char* file, int line);
static locking_callback* installed = 0;

void* BIO_new(const void* method) {
    (void)method;
    printf("BIO_new\n");
    return 0;
}

void CRYPTO_set_locking_callback(locking_callback* callback) {
    printf("CRYPTO_set_locking_callback %s\n", callback ? "set" : "null");
    installed = callback;
    if (callback) {
        /* a 1.0 library may lock as soon as it has the callback */
        callback(1 | 8, 40, __FILE__, __LINE__);
        callback(2 | 8, 40, __FILE__, __LINE__);
    }
}

locking_callback* CRYPTO_get_locking_callback(void) {
    printf("CRYPTO_get_locking_callback %s\n", installed ? "set" : "null");
    return installed;
}

int CRYPTO_num_locks(void) {
    printf("CRYPTO_num_locks\n");
    return 41;
}

void OpenSSL_add_all_digests(void) {
    printf("OpenSSL_add_all_digests\n");
}
#ifndef FAKE_WITHOUT_LIBRARY_INIT
int SSL_library_init(void) {
    printf("SSL_library_init\n");
    return 1;
}
#endif
void SSL_load_error_strings(void) {
    printf("SSL_load_error_strings\n");
}

void CONF_modules_free(void) {
    printf("CONF_modules_free\n");
}
void ENGINE_cleanup(void) {
    printf("ENGINE_cleanup\n");
}
void CONF_modules_unload(int all) {
    printf("CONF_modules_unload %d\n", all);
}
void EVP_cleanup(void) {
    printf("EVP_cleanup\n");
}
void CRYPTO_cleanup_all_ex_data(void) {
    printf("CRYPTO_cleanup_all_ex_data\n");
}
void ERR_free_strings(void) {
    printf("ERR_free_strings\n");
}

void* EVP_MD_CTX_create(void) {
    printf("EVP_MD_CTX_create\n");
    return malloc(48);
}
void EVP_MD_CTX_destroy(void* context) {
    printf("EVP_MD_CTX_destroy\n");
    free(context);
}

int CRYPTO_add_lock(int* pointer, int amount, int type, const char* file, int line) {
    *pointer += amount;
    printf("CRYPTO_add_lock %d %d %s %d -> %d\n", amount, type, file, line, *pointer);
    return *pointer;
}

void EVP_CIPHER_CTX_init(void* context) {
    /* the whole 1.0 context: a smaller allocation shows up in the sanitized build */
    memset(context, 0, 168);
    printf("EVP_CIPHER_CTX_init\n");
}
int EVP_CIPHER_CTX_cleanup(void* context) {
    (void)context;
    printf("EVP_CIPHER_CTX_cleanup\n");
    return 1;
}

int EVP_PKEY_size(void* key) {
    (void)key;
    printf("EVP_PKEY_size\n");
    return 128;
}

const char* SSLeay_version(int type) {
    return type == 0 ? "Fake 1.0" : "?";
}

/* TLS: the 1.0 names of the methods, options only through the control call */
const void* SSLv23_client_method(void) {
    printf("SSLv23_client_method\n");
    return "client";
}
const void* SSLv23_server_method(void) {
    printf("SSLv23_server_method\n");
    return "server";
}
long SSL_CTX_ctrl(void* context, int command, long argument, void* pointer) {
    (void)context;
    printf("SSL_CTX_ctrl %d %ld %s\n", command, argument, pointer ? "set" : "null");
    return argument | 0x100;
}
void* SSL_get_peer_certificate(const void* ssl) {
    (void)ssl;
    printf("SSL_get_peer_certificate\n");
    return 0;
}
void CRYPTO_free(void* pointer) {
    printf("CRYPTO_free %s\n", pointer ? "set" : "null");
}

/* certificates: the version integer is read through ASN1_INTEGER_get */
long ASN1_INTEGER_get(const long* integer) {
    printf("ASN1_INTEGER_get\n");
    return *integer;
}
int sk_push(void* stack, const void* data) {
    (void)stack;
    (void)data;
    printf("sk_push\n");
    return 1;
}
