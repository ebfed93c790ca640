// Checks the broker's TLS certificate for the application base: before the
// handshake it asks OpenSSL to match the address's host name (a DNS name or
// an IP literal) against the certificate, and afterwards it accepts only a
// certificate whose chain verified against the default trust store and
// whose name matched. Keeps OpenSSL's reason for a rejection.
#pragma once

#include <string>

struct ssl_st;

namespace Orvanta::Rabbit {

class BrokerCheck {
public:
    explicit BrokerCheck(std::string host) : _host(std::move(host)) {}

    // sets the name to match; false when OpenSSL refuses it
    bool prepare(ssl_st* ssl);
    // whether the completed handshake shows the broker it should be
    bool accept(const ssl_st* ssl);

    // why the last handshake was refused; empty when it was not
    const std::string& reason() const { return _reason; }

private:
    std::string _host;
    std::string _reason;
};

} // namespace Orvanta::Rabbit
