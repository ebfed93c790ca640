// A small certificate authority and a server certificate made by the openssl
// command for the TLS tests, with what that command says about them.
#pragma once

#include "openssl/structures.h"

#include <memory>
#include <string>

namespace Orvanta::OpenSSL::Test {

struct CertificateFiles {
    std::string caCertificate;
    std::string caKey;
    std::string serverCertificate;
    std::string serverKey;
    // the server's certificate followed by the authority's
    std::string serverChain;
    // `openssl x509 -text` of the server's certificate
    std::string serverText;
    // SHA-256 of the server's public key (SubjectPublicKeyInfo), as a DANE
    // record of usage 3, selector 1, matching type 1 holds it
    std::string serverKeyDigest;
};

// P-256 keys; the server's names are "server.test", "alt.server.test" and
// "*.wild.test". Made once per process.
const CertificateFiles& certificateFiles();

struct X509Free {
    void operator()(x509_st* certificate) const;
};
using OwnedCertificate = std::unique_ptr<x509_st, X509Free>;

// a certificate from a PEM file; throws when there is none
OwnedCertificate readCertificate(const std::string& path);

// the line of `text` that starts, after blanks, with `label`, without the
// label; with `next`, the line after it
std::string textField(const std::string& text, const std::string& label, bool next = false);

} // namespace Orvanta::OpenSSL::Test
