// The TLS wrappers whose bindings differ between the series by more than a
// second name, and the one that tells a memory checker what a read delivered.
#include "dynamic/function.h"
#include "openssl/functions.h"
#include "openssl/legacy.h"
#include "openssl/library.h"

#include <valgrind/memcheck.h>

namespace Orvanta::OpenSSL {

using Dynamic::Function;
using Dynamic::OptionalFunction;

long SSL_CTX_set_options(ssl_ctx_st* context, long options) {
    // 1.0 has no such function, only the control command behind its macro
    if (library().oldApi()) return SSL_CTX_ctrl(context, Legacy::ctrlOptions, options, nullptr);
    // 1.1 takes and returns unsigned long, 3.0 uint64_t: the same bits either way
    static Function<unsigned long(ssl_ctx_st*, unsigned long)> func(library(), "SSL_CTX_set_options");
    return static_cast<long>(func(context, static_cast<unsigned long>(options)));
}

int SSL_CTX_set_security_level(ssl_ctx_st* context, int level) {
    // the entry point returns nothing; before 1.1 there are no security levels
    static OptionalFunction<void(ssl_ctx_st*, int)> func(library(), "SSL_CTX_set_security_level");
    if (!func) return -1;
    func(context, level);
    return 1;
}

int SSL_CTX_set_ciphersuites(ssl_ctx_st* context, const char* list) {
    // only 1.1.1 and later speak TLS 1.3, whose suites are set apart
    static OptionalFunction<int(ssl_ctx_st*, const char*)> func(library(), "SSL_CTX_set_ciphersuites");
    if (!func) return 0;
    return func(context, list);
}

stack_st_SSL_CIPHER* SSL_CTX_get_ciphers(const ssl_ctx_st* context) {
    static OptionalFunction<stack_st_SSL_CIPHER*(const ssl_ctx_st*)> func(library(), "SSL_CTX_get_ciphers");
    if (func) return func(context);
    // 1.0 declared it as a macro reading the context's member
    if (!context) return nullptr;
    return reinterpret_cast<const Legacy::SslContext*>(context)->cipher_list;
}

int SSL_read(ssl_st* ssl, void* buffer, int size) {
    static Function<int(ssl_st*, void*, int)> func(library(), "SSL_read");
    int result = func(ssl, buffer, size);
    // the checker cannot see into a library it did not watch being built
    if (result > 0) (void)VALGRIND_MAKE_MEM_DEFINED(buffer, result);
    return result;
}

void CRYPTO_free(void* pointer) {
    if (library().oldApi()) {
        static Function<void(void*)> func(library(), "CRYPTO_free");
        return func(pointer);
    }
    // later series take the caller's source position with every free
    static Function<void(void*, const char*, int)> func(library(), "CRYPTO_free");
    func(pointer, Legacy::sourceName, Legacy::lineCryptoFree);
}

} // namespace Orvanta::OpenSSL
