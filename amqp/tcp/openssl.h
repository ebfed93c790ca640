// The libssl entry points the TLS transport calls, under OpenSSL's own names
// and prototypes. Each is looked up on its first call, in the handle given
// to openssl() (by default the process's global symbol scope), and never
// again; calling one that was not found throws std::bad_function_call
// (MissingFunction), except where a fall-back is named below.
#pragma once

#include <cstddef>

struct ssl_st;
struct ssl_ctx_st;
struct ssl_method_st;
struct x509_st;
struct X509_VERIFY_PARAM_st;

namespace AMQP {

// Replaces the lookup handle (a dlopen handle of a chosen libssl); affects
// only entry points that were not bound yet.
void openssl(void* handle);

namespace OpenSSL {

// whether libssl is there at all ("SSL_CTX_new" was found); calls nothing
bool valid();

// falls back to SSLv23_client_method for libraries older than 1.1
const ssl_method_st* TLS_client_method();
ssl_ctx_st* SSL_CTX_new(const ssl_method_st* method);
void SSL_CTX_free(ssl_ctx_st* context);
long SSL_CTX_ctrl(ssl_ctx_st* context, int command, long value, void* argument);
int SSL_CTX_set_default_verify_paths(ssl_ctx_st* context);
ssl_st* SSL_new(ssl_ctx_st* context);
void SSL_free(ssl_st* ssl);
// 0 without calling when the library lacks it
int SSL_up_ref(ssl_st* ssl);
int SSL_set_fd(ssl_st* ssl, int fd);
void SSL_set_connect_state(ssl_st* ssl);
long SSL_ctrl(ssl_st* ssl, int command, long value, void* argument);
int SSL_do_handshake(ssl_st* ssl);
int SSL_read(ssl_st* ssl, void* buffer, int size);
int SSL_write(ssl_st* ssl, const void* buffer, int size);
int SSL_pending(const ssl_st* ssl);
int SSL_get_error(const ssl_st* ssl, int result);
int SSL_shutdown(ssl_st* ssl);
int SSL_get_shutdown(const ssl_st* ssl);
int SSL_use_certificate_file(ssl_st* ssl, const char* file, int type);
void ERR_clear_error();
void ERR_print_errors_cb(int (*callback)(const char* line, size_t length, void* target), void* target);

// what checking the broker's certificate needs
X509_VERIFY_PARAM_st* SSL_get0_param(ssl_st* ssl);
int X509_VERIFY_PARAM_set1_host(X509_VERIFY_PARAM_st* param, const char* name, size_t length);
int X509_VERIFY_PARAM_set1_ip_asc(X509_VERIFY_PARAM_st* param, const char* address);
long SSL_get_verify_result(const ssl_st* ssl);
// falls back to SSL_get_peer_certificate, its name before 3.0
x509_st* SSL_get1_peer_certificate(const ssl_st* ssl);
void X509_free(x509_st* certificate);
const char* X509_verify_cert_error_string(long result);

} // namespace OpenSSL
} // namespace AMQP
