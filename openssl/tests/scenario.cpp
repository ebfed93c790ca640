// Runs the OpenSSL binding against one library in a process of its own and
// prints what it sees; the stand-in libraries print their calls into the
// same output. Usage: openssl_scenario <scenario> <library>
//
// Linked with dlsym wrapped, so that a scenario can show which entry points
// the binding looks up, not only which it calls.
#include "dynamic/function.h"
#include "openssl/functions.h"
#include "openssl/legacy.h"
#include "openssl/library.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dlfcn.h>
#include <exception>
#include <functional>
#include <string>
#include <valgrind/memcheck.h>

using namespace Orvanta::OpenSSL;

namespace {

bool traceLookups = false;

} // namespace

extern "C" void* __real_dlsym(void* handle, const char* name);
extern "C" void* __wrap_dlsym(void* handle, const char* name) {
    if (traceLookups) std::printf("lookup %s\n", name);
    return __real_dlsym(handle, name);
}

namespace {

asn1_string_st* asn1(long* value) {
    return reinterpret_cast<asn1_string_st*>(value);
}

void foreignCallback(int, int, const char*, int) {}

void describe() {
    Library& opened = library();
    std::printf("valid %d old %d byname %d dane %d\n", valid(), opened.oldApi(), opened.handle()->byName(),
                supportsDane());
}

// the wrappers whose bindings differ between the series
void callWrappers() {
    evp_md_ctx_st* digest = EVP_MD_CTX_new();
    EVP_MD_CTX_free(digest);

    evp_cipher_ctx_st* cipher = EVP_CIPHER_CTX_new();
    EVP_CIPHER_CTX_free(cipher);

    // a key in the 1.0 layout: only its counter is read
    Legacy::EvpPkey key{6, 6, 1};
    int result = EVP_PKEY_up_ref(reinterpret_cast<evp_pkey_st*>(&key));
    std::printf("up_ref %d references %d\n", result, key.references);
    Legacy::EvpPkey dying{6, 6, 0};
    result = EVP_PKEY_up_ref(reinterpret_cast<evp_pkey_st*>(&dying));
    std::printf("up_ref %d references %d\n", result, dying.references);

    std::printf("size %d\n", EVP_PKEY_size(reinterpret_cast<evp_pkey_st*>(&key)));
    std::printf("version %s\n", OpenSSL_version(0));
}

// the TLS wrappers whose bindings differ between the series
void tlsWrappers() {
    Legacy::SslContext legacyContext{nullptr, reinterpret_cast<stack_st_SSL_CIPHER*>(&legacyContext)};
    auto* context = reinterpret_cast<ssl_ctx_st*>(&legacyContext);
    library();
    traceLookups = true;
    TLS_client_method();
    TLS_client_method();
    TLS_server_method();
    std::printf("options %ld\n", SSL_CTX_set_options(context, 4));
    for (int i = 0; i < 2; ++i)
        std::printf("security level %d\n", SSL_CTX_set_security_level(context, 2));
    std::printf("ciphersuites %d\n", SSL_CTX_set_ciphersuites(context, "TLS_AES_128_GCM_SHA256"));
    std::printf("ciphers of none %s\n", SSL_CTX_get_ciphers(nullptr) ? "set" : "null");
    std::printf("ciphers %s\n",
                SSL_CTX_get_ciphers(context) == legacyContext.cipher_list ? "member" : "other");
    CRYPTO_free(context);
    traceLookups = false;
}

// the certificate wrappers that read a 1.0 certificate's members
void certificateWrappers() {
    long version = 2, notBefore = 0, notAfter = 0;
    Legacy::Validity validity{asn1(&notBefore), asn1(&notAfter)};
    Legacy::CertificateInfo info{asn1(&version), nullptr, nullptr, nullptr, &validity};
    Legacy::Certificate certificate{&info, nullptr, nullptr, 0, 1};
    auto* cert = reinterpret_cast<x509_st*>(&certificate);
    library();
    traceLookups = true;
    std::printf("version %ld\n", X509_version(cert));
    std::printf("notBefore %s\n", X509_get_notBefore_(cert) == validity.notBefore ? "member" : "other");
    std::printf("notAfter %s\n", X509_get_notAfter_(cert) == validity.notAfter ? "member" : "other");
    int result = X509_up_ref(cert);
    std::printf("up_ref %d references %d\n", result, certificate.references);
    certificate.references = 0;
    result = X509_up_ref(cert);
    std::printf("up_ref %d references %d\n", result, certificate.references);
    stack_push(nullptr, nullptr);
    stack_push(nullptr, nullptr);
    BUF_MEM_grow(nullptr, -1);
    traceLookups = false;
}

// the wrappers that try the older name first, asked twice
void renamedWrappers() {
    const evp_cipher_st* cipher = EVP_aes_256_cbc();
    traceLookups = true;
    for (int i = 0; i < 2; ++i) {
        int iv = EVP_CIPHER_iv_length(cipher);
        int key = EVP_CIPHER_key_length(cipher);
        x509_st* peer = SSL_get_peer_certificate(nullptr);
        std::printf("iv %d key %d peer %s\n", iv, key, peer ? "set" : "null");
    }
    traceLookups = false;
}

// results that the wrappers convert, and what a memory checker learns of a read
void conversions() {
    std::printf("check %s\n", SSL_CTX_check_private_key(nullptr) ? "true" : "false");
    std::printf("id %lu\n", SSL_CIPHER_get_id(nullptr));
    for (int size : {21, 16, 15}) {
        auto* buffer = static_cast<unsigned char*>(std::malloc(16));
        int result = SSL_read(nullptr, buffer, size);
        std::printf("read %d", result);
        unsigned char bits[16];
        if (VALGRIND_GET_VBITS(buffer, bits, 16) == 1) {
            std::printf(" ");
            for (unsigned char b : bits)
                std::printf("%c", b ? 'U' : 'D');
        }
        std::printf("\n");
        std::free(buffer);
    }
}

void setForeignCallback(const char* path) {
    void* fake = ::dlopen(path, RTLD_NOW);
    auto* set = reinterpret_cast<void (*)(void (*)(int, int, const char*, int))>(
        ::dlsym(fake, "CRYPTO_set_locking_callback"));
    set(foreignCallback);
    // the handle stays open: the library is to stay loaded until exit
}

void bindTwice() {
    for (int i = 0; i < 2; ++i) {
        try {
            BIO_new(nullptr);
            std::printf("bound\n");
        } catch (const std::runtime_error& e) {
            std::printf("error [%s]\n", e.what());
        }
    }
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 3) return 2;
    std::string scenario = argv[1];
    const char* path = argv[2];
    versions[0] = path;
    versions[1] = nullptr;

    if (scenario == "open") {
        describe();
        callWrappers();
    } else if (scenario == "tls") {
        tlsWrappers();
    } else if (scenario == "certificates") {
        certificateWrappers();
    } else if (scenario == "renames") {
        renamedWrappers();
    } else if (scenario == "conversions") {
        conversions();
    } else if (scenario == "foreign") {
        setForeignCallback(path);
        describe();
    } else if (scenario == "inprocess") {
        // loaded into the global scope by someone else before the binding looks
        ::dlopen(path, RTLD_NOW | RTLD_GLOBAL);
        versions[0] = "/nonexistent/libssl.so";
        describe();
    } else if (scenario == "retry") {
        for (int i = 0; i < 2; ++i) {
            try {
                library();
                std::printf("built\n");
            } catch (const std::bad_function_call&) {
                std::printf("threw\n");
            }
        }
    } else if (scenario == "missing") {
        describe();
        std::printf("handle %s\n", handle() ? "set" : "null");
        bindTwice();
        // the wrappers with a default answer without any library
        std::printf("defaults %d %d %s\n", SSL_CTX_set_security_level(nullptr, 1),
                    SSL_CTX_set_ciphersuites(nullptr, ""), SSL_CTX_get_ciphers(nullptr) ? "set" : "null");
    } else {
        return 2;
    }
    std::printf("exit\n");
    return 0;
}
