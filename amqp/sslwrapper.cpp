#include "amqp/sslwrapper.h"

#include "amqp/openssl.h"

#include <stdexcept>

namespace AMQP {

SslWrapper::SslWrapper(ssl_ctx_st* context) : _ssl(OpenSSL::SSL_new(context)) {
    if (_ssl == nullptr) throw std::runtime_error("failed to construct ssl structure");
}

SslWrapper::~SslWrapper() {
    // SSL_new was found, so SSL_free is there too
    if (_ssl != nullptr) OpenSSL::SSL_free(_ssl);
}

} // namespace AMQP
