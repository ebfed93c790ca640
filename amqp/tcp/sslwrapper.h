// Owns one TLS connection object (SSL); it moves from one TLS transport
// state to the next.
#pragma once

struct ssl_ctx_st;
struct ssl_st;

namespace AMQP {

class SslWrapper {
public:
    // throws std::runtime_error "failed to construct ssl structure"
    explicit SslWrapper(ssl_ctx_st* context);
    SslWrapper(SslWrapper&& other) noexcept : _ssl(other._ssl) { other._ssl = nullptr; }
    SslWrapper(const SslWrapper&) = delete;
    SslWrapper& operator=(const SslWrapper&) = delete;
    SslWrapper& operator=(SslWrapper&&) = delete;
    ~SslWrapper();

    operator ssl_st*() const { return _ssl; }

private:
    ssl_st* _ssl;
};

} // namespace AMQP
