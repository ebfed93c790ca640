#include "amqp/tcp/openssl.h"

#include "amqp/tcp/function.h"

#include <dlfcn.h>

namespace AMQP {

namespace {

// null: dlsym's default scope, the symbols the process already has
void* handle = nullptr;

} // namespace

void* lookup(void* library, const char* name) {
    return dlsym(library != nullptr ? library : RTLD_DEFAULT, name);
}

void openssl(void* library) {
    handle = library;
}

namespace OpenSSL {

// one function-local static per entry point: bound on the first call, under
// the thread-safe start of local statics (valid() runs on the resolver's
// worker thread)
#define AMQP_OPENSSL_BIND(sig, name) static const Function<sig> bound(handle, name)

bool valid() {
    AMQP_OPENSSL_BIND(ssl_ctx_st * (const ssl_method_st*), "SSL_CTX_new");
    return bound.valid();
}

const ssl_method_st* TLS_client_method() {
    AMQP_OPENSSL_BIND(const ssl_method_st*(), "TLS_client_method");
    if (bound) return bound();
    static const Function<const ssl_method_st*()> old(handle, "SSLv23_client_method");
    return old();
}

ssl_ctx_st* SSL_CTX_new(const ssl_method_st* method) {
    AMQP_OPENSSL_BIND(ssl_ctx_st * (const ssl_method_st*), "SSL_CTX_new");
    return bound(method);
}

void SSL_CTX_free(ssl_ctx_st* context) {
    AMQP_OPENSSL_BIND(void(ssl_ctx_st*), "SSL_CTX_free");
    bound(context);
}

long SSL_CTX_ctrl(ssl_ctx_st* context, int command, long value, void* argument) {
    AMQP_OPENSSL_BIND(long(ssl_ctx_st*, int, long, void*), "SSL_CTX_ctrl");
    return bound(context, command, value, argument);
}

int SSL_CTX_set_default_verify_paths(ssl_ctx_st* context) {
    AMQP_OPENSSL_BIND(int(ssl_ctx_st*), "SSL_CTX_set_default_verify_paths");
    return bound(context);
}

ssl_st* SSL_new(ssl_ctx_st* context) {
    AMQP_OPENSSL_BIND(ssl_st * (ssl_ctx_st*), "SSL_new");
    return bound(context);
}

void SSL_free(ssl_st* ssl) {
    AMQP_OPENSSL_BIND(void(ssl_st*), "SSL_free");
    bound(ssl);
}

int SSL_up_ref(ssl_st* ssl) {
    AMQP_OPENSSL_BIND(int(ssl_st*), "SSL_up_ref");
    return bound ? bound(ssl) : 0;
}

int SSL_set_fd(ssl_st* ssl, int fd) {
    AMQP_OPENSSL_BIND(int(ssl_st*, int), "SSL_set_fd");
    return bound(ssl, fd);
}

void SSL_set_connect_state(ssl_st* ssl) {
    AMQP_OPENSSL_BIND(void(ssl_st*), "SSL_set_connect_state");
    bound(ssl);
}

long SSL_ctrl(ssl_st* ssl, int command, long value, void* argument) {
    AMQP_OPENSSL_BIND(long(ssl_st*, int, long, void*), "SSL_ctrl");
    return bound(ssl, command, value, argument);
}

int SSL_do_handshake(ssl_st* ssl) {
    AMQP_OPENSSL_BIND(int(ssl_st*), "SSL_do_handshake");
    return bound(ssl);
}

int SSL_read(ssl_st* ssl, void* buffer, int size) {
    AMQP_OPENSSL_BIND(int(ssl_st*, void*, int), "SSL_read");
    return bound(ssl, buffer, size);
}

int SSL_write(ssl_st* ssl, const void* buffer, int size) {
    AMQP_OPENSSL_BIND(int(ssl_st*, const void*, int), "SSL_write");
    return bound(ssl, buffer, size);
}

int SSL_pending(const ssl_st* ssl) {
    AMQP_OPENSSL_BIND(int(const ssl_st*), "SSL_pending");
    return bound(ssl);
}

int SSL_get_error(const ssl_st* ssl, int result) {
    AMQP_OPENSSL_BIND(int(const ssl_st*, int), "SSL_get_error");
    return bound(ssl, result);
}

int SSL_shutdown(ssl_st* ssl) {
    AMQP_OPENSSL_BIND(int(ssl_st*), "SSL_shutdown");
    return bound(ssl);
}

int SSL_get_shutdown(const ssl_st* ssl) {
    AMQP_OPENSSL_BIND(int(const ssl_st*), "SSL_get_shutdown");
    return bound(ssl);
}

int SSL_use_certificate_file(ssl_st* ssl, const char* file, int type) {
    AMQP_OPENSSL_BIND(int(ssl_st*, const char*, int), "SSL_use_certificate_file");
    return bound(ssl, file, type);
}

void ERR_clear_error() {
    AMQP_OPENSSL_BIND(void(), "ERR_clear_error");
    bound();
}

void ERR_print_errors_cb(int (*callback)(const char*, size_t, void*), void* target) {
    AMQP_OPENSSL_BIND(void(int (*)(const char*, size_t, void*), void*), "ERR_print_errors_cb");
    bound(callback, target);
}

X509_VERIFY_PARAM_st* SSL_get0_param(ssl_st* ssl) {
    AMQP_OPENSSL_BIND(X509_VERIFY_PARAM_st * (ssl_st*), "SSL_get0_param");
    return bound(ssl);
}

int X509_VERIFY_PARAM_set1_host(X509_VERIFY_PARAM_st* param, const char* name, size_t length) {
    AMQP_OPENSSL_BIND(int(X509_VERIFY_PARAM_st*, const char*, size_t), "X509_VERIFY_PARAM_set1_host");
    return bound(param, name, length);
}

int X509_VERIFY_PARAM_set1_ip_asc(X509_VERIFY_PARAM_st* param, const char* address) {
    AMQP_OPENSSL_BIND(int(X509_VERIFY_PARAM_st*, const char*), "X509_VERIFY_PARAM_set1_ip_asc");
    return bound(param, address);
}

long SSL_get_verify_result(const ssl_st* ssl) {
    AMQP_OPENSSL_BIND(long(const ssl_st*), "SSL_get_verify_result");
    return bound(ssl);
}

x509_st* SSL_get1_peer_certificate(const ssl_st* ssl) {
    AMQP_OPENSSL_BIND(x509_st * (const ssl_st*), "SSL_get1_peer_certificate");
    if (bound) return bound(ssl);
    static const Function<x509_st*(const ssl_st*)> old(handle, "SSL_get_peer_certificate");
    return old(ssl);
}

void X509_free(x509_st* certificate) {
    AMQP_OPENSSL_BIND(void(x509_st*), "X509_free");
    bound(certificate);
}

const char* X509_verify_cert_error_string(long result) {
    AMQP_OPENSSL_BIND(const char*(long), "X509_verify_cert_error_string");
    return bound(result);
}

#undef AMQP_OPENSSL_BIND

} // namespace OpenSSL
} // namespace AMQP
