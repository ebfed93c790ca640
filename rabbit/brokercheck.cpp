#include "rabbit/brokercheck.h"

#include "amqp/tcp/openssl.h"

#include <arpa/inet.h>

namespace Orvanta::Rabbit {

namespace {

namespace OpenSSL = AMQP::OpenSSL;

constexpr long verified = 0;

bool ipLiteral(const std::string& host) {
    unsigned char address[16];
    return inet_pton(AF_INET, host.c_str(), address) == 1 || inet_pton(AF_INET6, host.c_str(), address) == 1;
}

} // namespace

bool BrokerCheck::prepare(ssl_st* ssl) {
    _reason.clear();
    X509_VERIFY_PARAM_st* param = OpenSSL::SSL_get0_param(ssl);
    int set = ipLiteral(_host) ? OpenSSL::X509_VERIFY_PARAM_set1_ip_asc(param, _host.c_str())
                               : OpenSSL::X509_VERIFY_PARAM_set1_host(param, _host.c_str(), _host.size());
    if (set == 1) return true;
    _reason = "the host name " + _host + " cannot be checked";
    return false;
}

bool BrokerCheck::accept(const ssl_st* ssl) {
    // without a certificate the verify result says nothing
    x509_st* certificate = OpenSSL::SSL_get1_peer_certificate(ssl);
    if (certificate == nullptr) {
        _reason = "the broker sent no certificate";
        return false;
    }
    OpenSSL::X509_free(certificate);
    long result = OpenSSL::SSL_get_verify_result(ssl);
    if (result == verified) return true;
    _reason = std::string("certificate verify failed: ") + OpenSSL::X509_verify_cert_error_string(result);
    return false;
}

} // namespace Orvanta::Rabbit
