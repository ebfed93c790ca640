// A TLS client and a TLS server in one process, joined by a socket pair and
// driven only through the binding's wrappers, one step of each at a time.
#pragma once

#include "openssl/structures.h"

#include <string>

namespace Orvanta::OpenSSL::Test {

// OpenSSL's values, from its headers
constexpr int filetypePem = 1;
constexpr int verifyPeer = 1;
constexpr int errorWantRead = 2;
constexpr int errorWantWrite = 3;
constexpr int errorZeroReturn = 6;
constexpr long verifyOk = 0;

class TlsPair {
public:
    // fresh client and server contexts, no connections yet
    TlsPair();
    TlsPair(const TlsPair&) = delete;
    TlsPair& operator=(const TlsPair&) = delete;
    ~TlsPair();

    // the server presents the test certificate chain and key
    void serveTestCertificate();
    // the client trusts the test authority and checks the server's certificate
    void trustTestAuthority();

    // makes both connections on the current contexts, over a new socket pair
    void connect();
    // runs both handshakes to their end; false when either side failed
    // (the error queue is cleared either way)
    bool handshake();

    ssl_ctx_st* clientContext() const { return _clientContext; }
    ssl_ctx_st* serverContext() const { return _serverContext; }
    ssl_st* client() const { return _client; }
    ssl_st* server() const { return _server; }

private:
    ssl_ctx_st* _clientContext;
    ssl_ctx_st* _serverContext;
    ssl_st* _client = nullptr;
    ssl_st* _server = nullptr;
    int _sockets[2] = {-1, -1};
};

} // namespace Orvanta::OpenSSL::Test
