// Runs the OpenSSL binding against one library in a process of its own and
// prints what it sees; the stand-in libraries print their calls into the
// same output. Usage: openssl_scenario <scenario> <library>
#include "dynamic/function.h"
#include "openssl/functions.h"
#include "openssl/legacy.h"
#include "openssl/library.h"

#include <cstdio>
#include <cstring>
#include <dlfcn.h>
#include <exception>
#include <functional>
#include <string>

using namespace Orvanta::OpenSSL;

namespace {

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
    } else {
        return 2;
    }
    std::printf("exit\n");
    return 0;
}
