#include "amqp/sslwrapper.h"

#include "amqp/openssl.h"

#include <functional>
#include <stdexcept>

namespace AMQP {

SslWrapper::SslWrapper(ssl_ctx_st* context) : _ssl(OpenSSL::SSL_new(context)) {
    if (_ssl == nullptr) throw std::runtime_error("failed to construct ssl structure");
}

SslWrapper::~SslWrapper() {
    if (_ssl == nullptr) return;
    try {
        OpenSSL::SSL_free(_ssl);
    } catch (const std::bad_function_call&) {
        // a libssl without it: the object is lost, the process goes on
    }
}

} // namespace AMQP
