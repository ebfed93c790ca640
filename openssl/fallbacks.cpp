// The wrappers whose fall-backs for older series are more than a second name.
#include "dynamic/function.h"
#include "openssl/functions.h"
#include "openssl/legacy.h"
#include "openssl/library.h"

#include <cstdlib>

namespace Orvanta::OpenSSL {

using Dynamic::Function;
using Dynamic::OptionalFunction;

const char* OpenSSL_version(int type) {
    // 1.0 exports only the old name, 1.1 and later only the new one
    static OptionalFunction<const char*(int)> func1(library(), "SSLeay_version");
    if (func1) return func1(type);
    static Function<const char*(int)> func2(library(), "OpenSSL_version");
    return func2(type);
}

int EVP_PKEY_up_ref(evp_pkey_st* key) {
    static OptionalFunction<int(evp_pkey_st*)> up_ref(library(), "EVP_PKEY_up_ref");
    if (up_ref) return up_ref(key);
    // 1.0: raise the counter inside the key under OpenSSL's own lock
    static Function<int(int*, int, int, const char*, int)> add_lock(library(), "CRYPTO_add_lock");
    auto* legacy = reinterpret_cast<Legacy::EvpPkey*>(key);
    int count =
        add_lock(&legacy->references, 1, Legacy::lockEvpPkey, Legacy::sourceName, Legacy::lineEvpPkeyUpRef);
    // a live key had at least one reference, so anything but 1 is the raised count
    return count != 1 ? 1 : 0;
}

evp_cipher_ctx_st* EVP_CIPHER_CTX_new() {
    static OptionalFunction<evp_cipher_ctx_st*()> func(library(), library().oldApi() ? "EVP_CIPHER_CTX_create"
                                                                                     : "EVP_CIPHER_CTX_new");
    if (func) return func();
    // 1.0 has no allocator: the caller provides the memory
    static Function<void(evp_cipher_ctx_st*)> init(library(), "EVP_CIPHER_CTX_init");
    auto* context = static_cast<evp_cipher_ctx_st*>(std::malloc(Legacy::cipherContextSize));
    // no memory: a null context, as OpenSSL's own allocator reports it
    if (!context) return nullptr;
    init(context);
    return context;
}

void EVP_CIPHER_CTX_free(evp_cipher_ctx_st* context) {
    static OptionalFunction<void(evp_cipher_ctx_st*)> func(
        library(), library().oldApi() ? "EVP_CIPHER_CTX_destroy" : "EVP_CIPHER_CTX_free");
    if (func) return func(context);
    static Function<int(evp_cipher_ctx_st*)> cleanup(library(), "EVP_CIPHER_CTX_cleanup");
    // like OpenSSL's own free, nothing to do for no context
    if (!context) return;
    cleanup(context);
    std::free(context);
}

} // namespace Orvanta::OpenSSL
