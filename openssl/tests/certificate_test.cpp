#include "dynamic/function.h"
#include "openssl/functions.h"
#include "openssl/library.h"
#include "openssl/ownedbio.h"
#include "openssl/tests/certificatefiles.h"
#include "openssl/tests/keyfiles.h"
#include "openssl/tests/tlspair.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

namespace Orvanta::OpenSSL {
namespace {

using Test::certificateFiles;
using Test::textField;

// OpenSSL's values, from its headers
constexpr unsigned long nameOneLine = 0x82031f;
constexpr int nidCommonName = 13;
constexpr int nidOrganization = 17;
constexpr int nidLocality = 15;
constexpr int nidKeyUsage = 83;
constexpr int nidSubjectAltName = 85;
constexpr int nidCrlDistributionPoints = 103;
constexpr int generalNameDns = 2;
constexpr int controlGetData = 3;

// OpenSSL's public definition of GENERAL_NAME: a type and a union of pointers
struct GeneralName {
    int type;
    asn1_string_st* value;
};

using Test::OwnedCertificate;
using Test::OwnedKey;
using Test::readCertificate;

// what a printing function writes into a memory BIO
std::string printed(const std::function<int(bio_st*)>& print) {
    Bio memory(BIO_s_mem());
    if (print(memory.get()) <= 0) return "(print failed)";
    char* data = nullptr;
    long size = BIO_ctrl(memory.get(), controlGetData, 0, &data);
    return std::string(data, static_cast<size_t>(size));
}

// an ASN.1 string as UTF-8, through the buffer that OpenSSL hands out
std::string utf8(const asn1_string_st* string) {
    unsigned char* out = nullptr;
    int size = ASN1_STRING_to_UTF8(&out, string);
    if (size < 0) return "(not text)";
    std::string text(reinterpret_cast<char*>(out), static_cast<size_t>(size));
    CRYPTO_free(out);
    return text;
}

std::string nameEntry(X509_name_st* name, int nid) {
    int index = X509_NAME_get_index_by_NID(name, nid, -1);
    if (index < 0) return "(none)";
    return utf8(X509_NAME_ENTRY_get_data(X509_NAME_get_entry(name, index)));
}

// the serial number as `openssl x509 -text` writes a long one
std::string serialNumber(x509_st* certificate) {
    // no wrapper reads the serial number: the test binds the two entry points itself
    static Dynamic::Function<asn1_string_st*(x509_st*)> serialOf(library(), "X509_get_serialNumber");
    static Dynamic::Function<bignum_st*(const asn1_string_st*, bignum_st*)> toNumber(library(),
                                                                                     "ASN1_INTEGER_to_BN");
    bignum_st* number = toNumber(serialOf(certificate), nullptr);
    unsigned char bytes[64];
    int size = BN_bn2bin(number, bytes);
    BN_clear_free(number);
    std::string text;
    char hex[4];
    for (int i = 0; i < size; ++i) {
        std::snprintf(hex, sizeof hex, i ? ":%02x" : "%02x", bytes[i]);
        text += hex;
    }
    return text;
}

std::string alternativeNames(const x509_st* certificate, int* critical) {
    auto* names = static_cast<stack_st*>(X509_get_ext_d2i(certificate, nidSubjectAltName, critical, nullptr));
    if (!names) return "(none)";
    std::string text;
    for (int i = 0; i < stack_num(names); ++i) {
        auto* name = static_cast<const GeneralName*>(stack_value(names, i));
        text +=
            std::string(i ? ", " : "") + (name->type == generalNameDns ? "DNS:" + utf8(name->value) : "?");
    }
    stack_pop_free(names, [](void* name) { GENERAL_NAME_free(static_cast<GENERAL_NAME_st*>(name)); });
    return text;
}

// the certificate that the server presented in a verified handshake
class PeerCertificateTest : public ::testing::Test {
protected:
    void SetUp() override {
        pair.serveTestCertificate();
        pair.trustTestAuthority();
        pair.connect();
        SSL_set_verify(pair.client(), OpenSSL::Test::verifyPeer, nullptr);
        ASSERT_TRUE(pair.handshake());
        peer.reset(SSL_get_peer_certificate(pair.client()));
        ASSERT_NE(peer, nullptr);
    }

    OpenSSL::Test::TlsPair pair;
    OwnedCertificate peer;
    const std::string& text = certificateFiles().serverText;
};

TEST_F(PeerCertificateTest, FieldsAgreeWithTheOpensslCommand) {
    x509_st* cert = peer.get();
    int sanCritical = -2, usageCritical = -2;
    std::string names = alternativeNames(cert, &sanCritical);
    auto* usage = static_cast<asn1_string_st*>(X509_get_ext_d2i(cert, nidKeyUsage, &usageCritical, nullptr));
    ASSERT_NE(usage, nullptr);
    EXPECT_EQ(ASN1_STRING_length(usage), 1); // digitalSignature alone fits one byte
    ASN1_BIT_STRING_free(usage);

    long version = X509_version(cert);
    struct Field {
        const char* label;
        bool nextLine;
        std::string ours;
    } fields[] = {
        {"Version: ", false, std::to_string(version + 1) + " (0x" + std::to_string(version) + ")"},
        {"Serial Number:", true, serialNumber(cert)},
        {"Issuer: ", false, printed([&](bio_st* bio) {
             return X509_NAME_print_ex(bio, X509_get_issuer_name(cert), 0, nameOneLine);
         })},
        {"Subject: ", false, printed([&](bio_st* bio) {
             return X509_NAME_print_ex(bio, X509_get_subject_name(cert), 0, nameOneLine);
         })},
        {"Not Before: ", false,
         printed([&](bio_st* bio) { return ASN1_TIME_print(bio, X509_get_notBefore_(cert)); })},
        {"Not After : ", false,
         printed([&](bio_st* bio) { return ASN1_TIME_print(bio, X509_get_notAfter_(cert)); })},
        {"X509v3 Subject Alternative Name:", true, names},
        // the command marks only a critical extension
        {"X509v3 Subject Alternative Name:", false, sanCritical == 1 ? " critical" : " "},
        {"X509v3 Key Usage:", false, usageCritical == 1 ? " critical" : " "},
    };
    for (const auto& field : fields)
        EXPECT_EQ(field.ours, textField(text, field.label, field.nextLine)) << field.label;

    int critical = 0;
    EXPECT_EQ(X509_get_ext_d2i(cert, nidCrlDistributionPoints, &critical, nullptr), nullptr);
    EXPECT_EQ(critical, -1); // absent, as against present more than once (-2)
}

TEST_F(PeerCertificateTest, NameEntriesAndComparisons) {
    auto authority = readCertificate(certificateFiles().caCertificate);
    X509_name_st* subject = X509_get_subject_name(peer.get());
    X509_name_st* issuer = X509_get_issuer_name(peer.get());
    EXPECT_EQ(nameEntry(subject, nidCommonName), "server.test");
    EXPECT_EQ(nameEntry(subject, nidOrganization), "Orvanta Tests");
    EXPECT_EQ(nameEntry(subject, nidLocality), "(none)");
    EXPECT_EQ(nameEntry(issuer, nidCommonName), "Orvanta Test CA");

    EXPECT_EQ(X509_NAME_cmp(issuer, X509_get_subject_name(authority.get())), 0);
    EXPECT_NE(X509_NAME_cmp(subject, X509_get_subject_name(authority.get())), 0);
    auto entry = [](X509_name_st* name) {
        return X509_NAME_ENTRY_get_data(
            X509_NAME_get_entry(name, X509_NAME_get_index_by_NID(name, nidCommonName, -1)));
    };
    EXPECT_EQ(ASN1_STRING_length(entry(subject)), 11);
    EXPECT_EQ(ASN1_STRING_cmp(entry(subject), entry(subject)), 0);
    EXPECT_NE(ASN1_STRING_cmp(entry(subject), entry(issuer)), 0);
}

TEST_F(PeerCertificateTest, IdentityReferencesAndKeys) {
    const auto& files = certificateFiles();
    auto fromFile = readCertificate(files.serverCertificate);
    auto authority = readCertificate(files.caCertificate);
    EXPECT_EQ(X509_cmp(peer.get(), fromFile.get()), 0);
    EXPECT_NE(X509_cmp(peer.get(), authority.get()), 0);
    OwnedCertificate copy(X509_dup(peer.get()));
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(X509_cmp(copy.get(), peer.get()), 0);

    // a second reference outlives the first
    ASSERT_EQ(X509_up_ref(fromFile.get()), 1);
    OwnedCertificate second(fromFile.get());
    fromFile.reset();
    EXPECT_EQ(X509_version(second.get()), 2);

    OwnedKey serverKey = OpenSSL::Test::readPrivateKey(files.serverKey);
    OwnedKey authorityKey = OpenSSL::Test::readPrivateKey(files.caKey);
    EXPECT_EQ(X509_check_private_key(peer.get(), serverKey.get()), 1);
    EXPECT_EQ(X509_check_private_key(peer.get(), authorityKey.get()), 0);
    ERR_clear_error();
    OwnedKey publicKey(X509_get_pubkey(peer.get()));
    ASSERT_NE(publicKey, nullptr);
    EXPECT_EQ(EVP_PKEY_size(publicKey.get()), EVP_PKEY_size(serverKey.get()));
}

} // namespace
} // namespace Orvanta::OpenSSL
