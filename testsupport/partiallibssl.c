/* Stand-ins for a libssl whose entry points differ from the installed one:
 * they forward to the real libssl, which they open without putting it into
 * the global symbol scope. Preloaded into the client, they show what it
 * does with them. Built twice:
 *   default     SSL_pending is missing
 *   OLD_NAMES   the names of libraries before 1.1 and 3.0
 *               (SSLv23_client_method, SSL_get_peer_certificate) instead of
 *               TLS_client_method and SSL_get1_peer_certificate */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <stddef.h>

static void* real(const char* name) {
    static void* library;
    if (library == NULL) library = dlopen("libssl.so.3", RTLD_NOW | RTLD_LOCAL);
    return library != NULL ? dlsym(library, name) : NULL;
}

#define FORWARD_AS(result, name, real_name, params, args)                                                    \
    result name params {                                                                                     \
        static result(*bound) params;                                                                        \
        if (bound == NULL) bound = (result(*) params)real(#real_name);                                       \
        return bound args;                                                                                   \
    }

#define FORWARD(result, name, params, args) FORWARD_AS(result, name, name, params, args)

#ifdef OLD_NAMES
FORWARD_AS(const void*, SSLv23_client_method, TLS_client_method, (void), ())
FORWARD_AS(void*, SSL_get_peer_certificate, SSL_get1_peer_certificate, (const void* ssl), (ssl))
FORWARD(int, SSL_pending, (const void* ssl), (ssl))
#else
FORWARD(const void*, TLS_client_method, (void), ())
FORWARD(void*, SSL_get1_peer_certificate, (const void* ssl), (ssl))
#endif
FORWARD(void*, SSL_CTX_new, (const void* method), (method))
FORWARD(void, SSL_CTX_free, (void* context), (context))
FORWARD(long, SSL_CTX_ctrl, (void* context, int command, long value, void* argument),
        (context, command, value, argument))
FORWARD(int, SSL_CTX_set_default_verify_paths, (void* context), (context))
FORWARD(void*, SSL_new, (void* context), (context))
FORWARD(void, SSL_free, (void* ssl), (ssl))
FORWARD(int, SSL_set_fd, (void* ssl, int fd), (ssl, fd))
FORWARD(void, SSL_set_connect_state, (void* ssl), (ssl))
FORWARD(long, SSL_ctrl, (void* ssl, int command, long value, void* argument), (ssl, command, value, argument))
FORWARD(int, SSL_do_handshake, (void* ssl), (ssl))
FORWARD(int, SSL_read, (void* ssl, void* buffer, int size), (ssl, buffer, size))
FORWARD(int, SSL_write, (void* ssl, const void* buffer, int size), (ssl, buffer, size))
FORWARD(int, SSL_get_error, (const void* ssl, int result), (ssl, result))
FORWARD(int, SSL_shutdown, (void* ssl), (ssl))
FORWARD(void, ERR_clear_error, (void), ())
FORWARD(void, ERR_print_errors_cb, (int (*callback)(const char*, size_t, void*), void* target),
        (callback, target))
FORWARD(void*, SSL_get0_param, (void* ssl), (ssl))
FORWARD(int, X509_VERIFY_PARAM_set1_host, (void* param, const char* name, size_t length),
        (param, name, length))
FORWARD(int, X509_VERIFY_PARAM_set1_ip_asc, (void* param, const char* address), (param, address))
FORWARD(long, SSL_get_verify_result, (const void* ssl), (ssl))
FORWARD(void, X509_free, (void* certificate), (certificate))
FORWARD(const char*, X509_verify_cert_error_string, (long result), (result))
