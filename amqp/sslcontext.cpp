#include "amqp/sslcontext.h"

#include "amqp/openssl.h"

#include <functional>
#include <stdexcept>

namespace AMQP {

namespace {

constexpr int ctrlMode = 33;
constexpr long acceptMovingWriteBuffer = 2;

} // namespace

SslContext::SslContext(const ssl_method_st* method) : _context(OpenSSL::SSL_CTX_new(method)) {
    if (_context == nullptr) throw std::runtime_error("failed to construct ssl context");
    // a write that OpenSSL asks to repeat is repeated from the output queue,
    // whose copy of the bytes lies elsewhere than those of the first attempt
    OpenSSL::SSL_CTX_ctrl(_context, ctrlMode, acceptMovingWriteBuffer, nullptr);
}

SslContext::~SslContext() {
    try {
        OpenSSL::SSL_CTX_free(_context);
    } catch (const std::bad_function_call&) {
        // a libssl without it: the context is lost, the process goes on
    }
}

} // namespace AMQP
