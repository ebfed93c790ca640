#include "openssl/functions.h"
#include "openssl/library.h"
#include "openssl/tests/certificatefiles.h"
#include "openssl/tests/keyfiles.h"
#include "openssl/tests/tlspair.h"

#include "testsupport/process.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace Orvanta::OpenSSL {
namespace {

using Test::certificateFiles;
using Test::TlsPair;
using namespace Test;

// OpenSSL's values, from its headers
constexpr long optionNoTls13 = 0x20000000;
constexpr int ctrlSetHostName = 55;
constexpr int ctrlServerNameCallback = 53;
constexpr int ctrlServerNameArgument = 54;
constexpr int nameTypeHost = 0;
constexpr unsigned long hostNoWildcards = 0x2;
constexpr int sentShutdown = 1;
constexpr int receivedShutdown = 2;
constexpr long errorHostnameMismatch = 62;
constexpr long errorDaneNoMatch = 65;
constexpr unsigned long daneNoEeNameChecks = 1;

// what `openssl verify` says of the server's certificate: "OK" or the error
// number and text
struct Verdict {
    long error = 0;
    std::string text = "OK";
};

Verdict opensslVerify(bool trust, const std::string& host) {
    const auto& files = certificateFiles();
    std::vector<std::string> argv = {"openssl", "verify"};
    if (trust) {
        argv.insert(argv.end(), {"-CAfile", files.caCertificate});
    } else {
        argv.insert(argv.end(), {"-no-CAfile", "-no-CApath", "-no-CAstore"});
    }
    // the server sends the authority's certificate along with its own
    argv.insert(argv.end(),
                {"-untrusted", files.caCertificate, "-verify_hostname", host, files.serverCertificate});
    auto result = Orvanta::Test::runProcess(argv);
    if (result.status == 0) return {};
    // "error <number> at <depth> depth lookup: <text>"
    std::string said = result.out + result.err;
    size_t at = said.find("error ");
    size_t lookup = said.find(" depth lookup: ", at);
    if (at == std::string::npos || lookup == std::string::npos)
        throw std::runtime_error("openssl verify: " + said);
    size_t textStart = lookup + std::strlen(" depth lookup: ");
    return {std::stol(said.substr(at + 6)), said.substr(textStart, said.find('\n', textStart) - textStart)};
}

std::string received(ssl_st* ssl, int size) {
    std::string bytes(static_cast<size_t>(size), '\0');
    int n = SSL_read(ssl, bytes.data(), size);
    return n > 0 ? bytes.substr(0, static_cast<size_t>(n)) : std::string();
}

TEST(TlsTest, VerifiedHandshakeCarriesDataAndClosesInOrder) {
    TlsPair pair;
    pair.serveTestCertificate();
    pair.trustTestAuthority();
    pair.connect();
    SSL_set_verify(pair.client(), verifyPeer, nullptr);
    ASSERT_EQ(SSL_add1_host(pair.client(), "server.test"), 1);
    ASSERT_EQ(SSL_ctrl(pair.client(), ctrlSetHostName, nameTypeHost, const_cast<char*>("server.test")), 1);
    SSL_set_read_ahead(pair.server(), 1);
    EXPECT_EQ(SSL_get_read_ahead(pair.server()), 1);

    ASSERT_TRUE(pair.handshake());
    EXPECT_EQ(SSL_get_verify_result(pair.client()), verifyOk);
    EXPECT_STREQ(SSL_get_servername(pair.server(), nameTypeHost), "server.test");

    // nothing sent yet: the server waits
    char byte;
    int result = SSL_read(pair.server(), &byte, 1);
    EXPECT_EQ(SSL_get_error(pair.server(), result), errorWantRead);

    ASSERT_EQ(SSL_write(pair.client(), "hello", 5), 5);
    EXPECT_EQ(received(pair.server(), 2), "he");
    // the rest of the record waits inside the connection
    EXPECT_EQ(SSL_pending(pair.server()), 3);
    EXPECT_EQ(received(pair.server(), 16), "llo");
    ASSERT_EQ(SSL_write(pair.server(), "back", 4), 4);
    EXPECT_EQ(received(pair.client(), 16), "back");

    EXPECT_EQ(SSL_shutdown(pair.client()), 0);
    EXPECT_EQ(SSL_get_shutdown(pair.client()), sentShutdown);
    result = SSL_read(pair.server(), &byte, 1);
    EXPECT_EQ(result, 0);
    EXPECT_EQ(SSL_get_error(pair.server(), result), errorZeroReturn);
    EXPECT_EQ(SSL_get_shutdown(pair.server()) & receivedShutdown, receivedShutdown);
}

struct HostCase {
    const char* name;
    const char* host;
    unsigned long flags;
    bool trust;
};

void PrintTo(const HostCase& host, std::ostream* out) {
    *out << host.name;
}

class HostTest : public ::testing::TestWithParam<HostCase> {};

TEST_P(HostTest, VerdictAgreesWithTheOpensslCommand) {
    const HostCase& c = GetParam();
    TlsPair pair;
    pair.serveTestCertificate();
    if (c.trust) pair.trustTestAuthority();
    pair.connect();
    SSL_set_verify(pair.client(), verifyPeer, nullptr);
    SSL_set_hostflags(pair.client(), c.flags);
    ASSERT_EQ(SSL_add1_host(pair.client(), c.host), 1);
    bool connected = pair.handshake();

    // the command knows no flag against wildcards: without them the name is a wrong one
    Verdict expected = c.flags ? opensslVerify(c.trust, "wrong.test") : opensslVerify(c.trust, c.host);
    EXPECT_EQ(connected, expected.error == 0);
    EXPECT_EQ(SSL_get_verify_result(pair.client()), expected.error);
    EXPECT_EQ(X509_verify_cert_error_string(SSL_get_verify_result(pair.client())),
              expected.text == "OK" ? "ok" : expected.text);
}

INSTANTIATE_TEST_SUITE_P(
    Names, HostTest,
    ::testing::Values(HostCase{"Subject", "server.test", 0, true},
                      HostCase{"AlternativeName", "alt.server.test", 0, true},
                      HostCase{"OtherCase", "SERVER.Test", 0, true},
                      HostCase{"Wildcard", "any.wild.test", 0, true},
                      HostCase{"WildcardRefused", "any.wild.test", hostNoWildcards, true},
                      HostCase{"Wrong", "wrong.test", 0, true}, HostCase{"Parent", "test", 0, true},
                      HostCase{"UntrustedAuthority", "server.test", 0, false}),
    [](const ::testing::TestParamInfo<HostCase>& info) { return std::string(info.param.name); });

TEST(DaneTest, RecordOfTheServerKeyVerifiesAndAWrongOneFails) {
    ASSERT_TRUE(supportsDane());
    std::string digest = certificateFiles().serverKeyDigest;
    ASSERT_EQ(digest.size(), 32u);
    std::string wrong = digest;
    wrong[7] ^= 0x40;
    for (const std::string& record : {digest, wrong}) {
        bool right = record == digest;
        // no authority is trusted: the record alone vouches for the key
        TlsPair pair;
        pair.serveTestCertificate();
        ASSERT_GT(SSL_CTX_dane_enable(pair.clientContext()), 0);
        pair.connect();
        ASSERT_GT(SSL_dane_enable(pair.client(), "server.test"), 0);
        EXPECT_EQ(SSL_dane_set_flags(pair.client(), daneNoEeNameChecks), 0u);
        EXPECT_EQ(SSL_dane_set_flags(pair.client(), daneNoEeNameChecks), daneNoEeNameChecks);
        // DANE-EE, SubjectPublicKeyInfo, SHA-256
        ASSERT_GT(SSL_dane_tlsa_add(pair.client(), 3, 1, 1,
                                    reinterpret_cast<const unsigned char*>(record.data()), record.size()),
                  0);
        SSL_set_verify(pair.client(), verifyPeer, nullptr);
        EXPECT_EQ(pair.handshake(), right);
        EXPECT_EQ(SSL_get_verify_result(pair.client()), right ? verifyOk : errorDaneNoMatch);
    }
    EXPECT_STREQ(X509_verify_cert_error_string(errorDaneNoMatch), "no matching DANE TLSA records");
}

// `openssl ciphers` with these arguments, one cipher a line when `verbose`
std::string opensslCiphers(const std::vector<std::string>& options, const std::string& suites,
                           const std::string& list) {
    std::vector<std::string> argv = {"openssl", "ciphers"};
    argv.insert(argv.end(), options.begin(), options.end());
    argv.insert(argv.end(), {"-ciphersuites", suites, list});
    auto result = Orvanta::Test::runProcess(argv);
    EXPECT_EQ(result.status, 0) << result.err;
    return result.out;
}

struct CipherCase {
    const char* name;
    const char* list;
    const char* suites;
    long options;
};

void PrintTo(const CipherCase& cipher, std::ostream* out) {
    *out << cipher.name;
}

class CipherTest : public ::testing::TestWithParam<CipherCase> {};

TEST_P(CipherTest, ListsAndNegotiatedCipherAgreeWithTheOpensslCommand) {
    const CipherCase& c = GetParam();
    TlsPair pair;
    pair.serveTestCertificate();
    ASSERT_EQ(SSL_CTX_set_cipher_list(pair.clientContext(), c.list), 1);
    ASSERT_EQ(SSL_CTX_set_ciphersuites(pair.clientContext(), c.suites), 1);
    if (c.options) {
        EXPECT_EQ(SSL_CTX_set_options(pair.clientContext(), c.options) & c.options, c.options);
    }

    std::string fromContext;
    auto* ciphers = reinterpret_cast<stack_st*>(SSL_CTX_get_ciphers(pair.clientContext()));
    ASSERT_NE(ciphers, nullptr);
    for (int i = 0; i < stack_num(ciphers); ++i)
        fromContext += std::string(i ? ":" : "") +
                       SSL_CIPHER_get_name(static_cast<const ssl_cipher_st*>(stack_value(ciphers, i)));
    EXPECT_EQ(fromContext + "\n", opensslCiphers({}, c.suites, c.list));

    pair.connect();
    std::string fromConnection;
    for (int i = 0; const char* name = SSL_get_cipher_list(pair.client(), i); ++i)
        fromConnection += std::string(i ? ":" : "") + name;
    EXPECT_EQ(fromConnection, fromContext);

    ASSERT_TRUE(pair.handshake());
    const ssl_cipher_st* current = SSL_get_current_cipher(pair.client());
    ASSERT_NE(current, nullptr);
    std::string name = SSL_CIPHER_get_name(current);
    EXPECT_NE(fromContext.find(name), std::string::npos) << name;
    // the command's verbose line is OpenSSL's description of the cipher
    char buffer[256];
    std::string description = SSL_CIPHER_description(current, buffer, sizeof buffer);
    std::string verbose = opensslCiphers({"-v"}, c.suites, c.list);
    EXPECT_NE(verbose.find(description), std::string::npos) << description << "in\n" << verbose;
    EXPECT_EQ(SSL_CIPHER_get_version(current),
              std::string(c.options & optionNoTls13 ? "TLSv1.2" : "TLSv1.3"));
    EXPECT_NE(description.find(std::string(" ") + SSL_CIPHER_get_version(current) + " "), std::string::npos);
    int algorithmBits = 0;
    int bits = SSL_CIPHER_get_bits(current, &algorithmBits);
    EXPECT_NE(description.find("(" + std::to_string(bits) + ")"), std::string::npos) << description;
    EXPECT_EQ(algorithmBits, bits);
    // "-V" leads each line with the two bytes of the cipher's id
    std::string ids = opensslCiphers({"-V"}, c.suites, c.list);
    unsigned long id = SSL_CIPHER_get_id(current);
    char code[32];
    std::snprintf(code, sizeof code, "0x%02lX,0x%02lX - %s ", (id >> 8) & 0xff, id & 0xff, name.c_str());
    EXPECT_NE(ids.find(code), std::string::npos) << code << " in\n" << ids;
    EXPECT_EQ(id >> 24, 3u); // OpenSSL's mark of an SSL 3 / TLS cipher
}

INSTANTIATE_TEST_SUITE_P(
    Lists, CipherTest,
    ::testing::Values(CipherCase{"Aes256First", "ECDHE+AESGCM:!aNULL",
                                 "TLS_AES_256_GCM_SHA384:TLS_CHACHA20_POLY1305_SHA256", 0},
                      CipherCase{"Chacha", "ECDHE-ECDSA-CHACHA20-POLY1305:ECDHE-ECDSA-AES128-GCM-SHA256",
                                 "TLS_CHACHA20_POLY1305_SHA256", 0},
                      CipherCase{"Tls12Only", "ECDHE-ECDSA-AES128-GCM-SHA256:ECDHE-ECDSA-AES256-GCM-SHA384",
                                 "TLS_AES_128_GCM_SHA256", optionNoTls13}),
    [](const ::testing::TestParamInfo<CipherCase>& info) { return std::string(info.param.name); });

int onServerName(ssl_st* ssl, int*, void* seen) {
    *static_cast<std::string*>(seen) = SSL_get_servername(ssl, nameTypeHost);
    return 0;
}

TEST(TlsContextTest, CertificateKeySecurityLevelAndCallbacks) {
    const auto& files = certificateFiles();
    TlsPair pair;
    ssl_ctx_st* server = pair.serverContext();
    // a P-256 key offers 128 bits: too weak for level 4, enough for level 3
    EXPECT_EQ(SSL_CTX_set_security_level(server, 4), 1);
    EXPECT_EQ(SSL_CTX_use_certificate_file(server, files.serverCertificate.c_str(), filetypePem), 0);
    EXPECT_EQ(SSL_CTX_set_security_level(server, 3), 1);
    auto certificate = readCertificate(files.serverCertificate);
    EXPECT_EQ(SSL_CTX_use_certificate(server, certificate.get()), 1);
    ERR_clear_error();

    EXPECT_FALSE(SSL_CTX_check_private_key(server));
    // the authority's key does not belong to the certificate
    EXPECT_EQ(SSL_CTX_use_PrivateKey_file(server, files.caKey.c_str(), filetypePem), 0);
    EXPECT_EQ(SSL_CTX_use_PrivateKey_file(server, files.serverKey.c_str(), filetypePem), 1);
    EXPECT_TRUE(SSL_CTX_check_private_key(server));
    ERR_clear_error();

    std::string seen;
    SSL_CTX_callback_ctrl(server, ctrlServerNameCallback, reinterpret_cast<ctrl_callback>(&onServerName));
    SSL_CTX_ctrl(server, ctrlServerNameArgument, 0, &seen);
    EXPECT_EQ(SSL_CTX_set_default_verify_paths(pair.clientContext()), 1);
    pair.connect();
    // a connection can be moved to another context before its handshake
    EXPECT_EQ(SSL_set_SSL_CTX(pair.client(), pair.clientContext()), pair.clientContext());
    SSL_ctrl(pair.client(), ctrlSetHostName, nameTypeHost, const_cast<char*>("alt.server.test"));
    ASSERT_TRUE(pair.handshake());
    EXPECT_EQ(seen, "alt.server.test");
}

} // namespace
} // namespace Orvanta::OpenSSL
