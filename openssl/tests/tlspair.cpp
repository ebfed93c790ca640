#include "openssl/tests/tlspair.h"

#include "openssl/functions.h"
#include "openssl/tests/certificatefiles.h"

#include <fcntl.h>
#include <stdexcept>
#include <sys/socket.h>
#include <unistd.h>

namespace Orvanta::OpenSSL::Test {

namespace {

// one handshake step: false on a failure other than waiting for the peer
bool step(ssl_st* ssl, bool& done) {
    int result = SSL_do_handshake(ssl);
    if (result == 1) {
        done = true;
        return true;
    }
    int error = SSL_get_error(ssl, result);
    return error == errorWantRead || error == errorWantWrite;
}

} // namespace

TlsPair::TlsPair()
    : _clientContext(SSL_CTX_new(TLS_client_method())), _serverContext(SSL_CTX_new(TLS_server_method())) {
    if (!_clientContext || !_serverContext) throw std::runtime_error("no TLS context");
}

TlsPair::~TlsPair() {
    SSL_free(_client);
    SSL_free(_server);
    SSL_CTX_free(_clientContext);
    SSL_CTX_free(_serverContext);
    for (int fd : _sockets)
        if (fd >= 0) ::close(fd);
}

void TlsPair::serveTestCertificate() {
    const auto& files = certificateFiles();
    if (SSL_CTX_use_certificate_chain_file(_serverContext, files.serverChain.c_str()) != 1 ||
        SSL_CTX_use_PrivateKey_file(_serverContext, files.serverKey.c_str(), filetypePem) != 1)
        throw std::runtime_error("the server context refused the test certificate");
}

void TlsPair::trustTestAuthority() {
    if (SSL_CTX_load_verify_locations(_clientContext, certificateFiles().caCertificate.c_str(), nullptr) != 1)
        throw std::runtime_error("the client context refused the test authority");
}

void TlsPair::connect() {
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK, 0, _sockets) != 0)
        throw std::runtime_error("no socket pair");
    _client = SSL_new(_clientContext);
    _server = SSL_new(_serverContext);
    if (!_client || !_server) throw std::runtime_error("no TLS connection");
    SSL_set_fd(_client, _sockets[0]);
    SSL_set_fd(_server, _sockets[1]);
    SSL_set_connect_state(_client);
    SSL_set_accept_state(_server);
}

bool TlsPair::handshake() {
    bool clientDone = false, serverDone = false, failed = false;
    // a handshake takes a few round trips; the bound only stops a livelock
    for (int round = 0; round < 50 && !failed && !(clientDone && serverDone); ++round) {
        if (!clientDone && !step(_client, clientDone)) failed = true;
        if (!failed && !serverDone && !step(_server, serverDone)) failed = true;
    }
    ERR_clear_error();
    return !failed && clientDone && serverDone;
}

} // namespace Orvanta::OpenSSL::Test
