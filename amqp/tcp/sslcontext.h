// Owns the TLS context (SSL_CTX) of one connection's handshake.
#pragma once

struct ssl_ctx_st;
struct ssl_method_st;

namespace AMQP {

class SslContext {
public:
    // throws std::runtime_error "failed to construct ssl context"
    explicit SslContext(const ssl_method_st* method);
    SslContext(const SslContext&) = delete;
    SslContext& operator=(const SslContext&) = delete;
    ~SslContext();

    operator ssl_ctx_st*() const { return _context; }

private:
    ssl_ctx_st* _context;
};

} // namespace AMQP
