#include "testsupport/process.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string scenario(const char* name, const char* library) {
    auto result = Orvanta::Test::runProcess({SCENARIO_PATH, name, library});
    EXPECT_EQ(result.status, 0) << result.err;
    return result.out;
}

const std::string startUp10 = "OpenSSL_add_all_digests\n"
                              "SSL_library_init\n"
                              "SSL_load_error_strings\n";
const std::string cleanUp10 = "CONF_modules_free\n"
                              "ENGINE_cleanup\n"
                              "CONF_modules_unload 1\n"
                              "EVP_cleanup\n"
                              "CRYPTO_cleanup_all_ex_data\n"
                              "ERR_free_strings\n";

TEST(OpenSSL10Test, OpenedByNameIsStartedLockedAndCleanedUp) {
    EXPECT_EQ(scenario("open", FAKE10_PATH), startUp10 +
                                                 "CRYPTO_get_locking_callback null\n"
                                                 "CRYPTO_num_locks\n"
                                                 "CRYPTO_set_locking_callback set\n"
                                                 "valid 1 old 1 byname 1 dane 0\n"
                                                 // the old names of the digest context functions
                                                 "EVP_MD_CTX_create\n"
                                                 "EVP_MD_CTX_destroy\n"
                                                 // no cipher context allocator: 168 bytes set up by init
                                                 "EVP_CIPHER_CTX_init\n"
                                                 "EVP_CIPHER_CTX_cleanup\n"
                                                 // the counter inside the key, under lock 10
                                                 "CRYPTO_add_lock 1 10 src/openssl 1342 -> 2\n"
                                                 "up_ref 1 references 2\n"
                                                 "CRYPTO_add_lock 1 10 src/openssl 1342 -> 1\n"
                                                 "up_ref 0 references 1\n"
                                                 "EVP_PKEY_size\n"
                                                 "size 128\n"
                                                 "version Fake 1.0\n"
                                                 "exit\n"
                                                 // at exit our callback is taken back before the clean-up
                                                 "CRYPTO_get_locking_callback set\n"
                                                 "CRYPTO_set_locking_callback null\n" +
                                                 cleanUp10);
}

TEST(OpenSSL10Test, ForeignLockingCallbackStaysInCharge) {
    EXPECT_EQ(scenario("foreign", FAKE10_PATH), "CRYPTO_set_locking_callback set\n" + startUp10 +
                                                    "CRYPTO_get_locking_callback set\n"
                                                    "valid 1 old 1 byname 1 dane 0\n"
                                                    "exit\n"
                                                    "CRYPTO_get_locking_callback set\n" +
                                                    cleanUp10);
}

TEST(OpenSSL10Test, LibraryAlreadyInTheProcessIsNotCleanedUpButGetsItsCallbackBack) {
    EXPECT_EQ(scenario("inprocess", FAKE10_PATH), startUp10 + "CRYPTO_get_locking_callback null\n"
                                                              "CRYPTO_num_locks\n"
                                                              "CRYPTO_set_locking_callback set\n"
                                                              "valid 1 old 1 byname 0 dane 0\n"
                                                              "exit\n"
                                                              "CRYPTO_get_locking_callback set\n"
                                                              "CRYPTO_set_locking_callback null\n");
}

TEST(OpenSSL10Test, MissingStartUpFunctionLeavesNoSingletonBehind) {
    // every use starts again from the opening
    EXPECT_EQ(scenario("retry", FAKE10_BROKEN_PATH), "OpenSSL_add_all_digests\n"
                                                     "threw\n"
                                                     "OpenSSL_add_all_digests\n"
                                                     "threw\n"
                                                     "exit\n");
}

TEST(OpenSSL11Test, NewNamesNoStartUpNoCleanUp) {
    EXPECT_EQ(scenario("open", FAKE11_PATH), "valid 1 old 0 byname 1 dane 1\n"
                                             "EVP_MD_CTX_new\n"
                                             "EVP_MD_CTX_free\n"
                                             "EVP_CIPHER_CTX_new\n"
                                             "EVP_CIPHER_CTX_free\n"
                                             "EVP_PKEY_up_ref\n"
                                             "up_ref 1 references 1\n"
                                             "EVP_PKEY_up_ref\n"
                                             "up_ref 1 references 0\n"
                                             "EVP_PKEY_size\n"
                                             "size 256\n"
                                             "version Fake 1.1\n"
                                             "exit\n");
}

TEST(OpenSSL11Test, LockingFunctionsBesideTheNewMethodsDoNotMakeItOld) {
    EXPECT_EQ(scenario("open", FAKE11_LOCKING_PATH).substr(0, 30), "valid 1 old 0 byname 1 dane 1\n");
}

TEST(OpenSSLMissingTest, NothingOpensAndEveryBindingFails) {
    std::string out = scenario("missing", "/nonexistent/libssl-gone.so");
    std::string expected = "valid 0 old 0 byname 1 dane 0\n"
                           "handle null\n"
                           "error [Method BIO_new not found /nonexistent/libssl-gone.so: ";
    EXPECT_EQ(out.substr(0, expected.size()), expected) << out;
    std::string tail = "error [Method BIO_new not found ]\n"
                       "defaults -1 0 null\n"
                       "exit\n";
    ASSERT_GE(out.size(), tail.size());
    EXPECT_EQ(out.substr(out.size() - tail.size()), tail) << out;
}

// What one wrapper scenario prints with each library: which names are
// looked up ("lookup ..."), which entry points the stand-ins saw called, and
// what the wrappers returned.
struct SeriesCase {
    const char* name;
    const char* scenario;
    const char* library;
    std::string expected;
};

// a 1.0 library opened by name starts up and cleans up around every scenario
std::string around10(const std::string& body) {
    return startUp10 +
           "CRYPTO_get_locking_callback null\nCRYPTO_num_locks\nCRYPTO_set_locking_callback set\n" + body +
           "exit\nCRYPTO_get_locking_callback set\nCRYPTO_set_locking_callback null\n" + cleanUp10;
}

const std::string renamesOld = "lookup EVP_CIPHER_iv_length\n"
                               "EVP_CIPHER_iv_length\n"
                               "lookup EVP_CIPHER_key_length\n"
                               "EVP_CIPHER_key_length\n"
                               "lookup SSL_get_peer_certificate\n"
                               "SSL_get_peer_certificate\n"
                               "iv 16 key 32 peer null\n"
                               // the older names stay bound: no lookup the second time
                               "EVP_CIPHER_iv_length\n"
                               "EVP_CIPHER_key_length\n"
                               "SSL_get_peer_certificate\n"
                               "iv 16 key 32 peer null\n";

void PrintTo(const SeriesCase& series, std::ostream* out) {
    *out << series.name;
}

class SeriesTest : public ::testing::TestWithParam<SeriesCase> {};

TEST_P(SeriesTest, LooksUpAndCallsWhatTheSeriesHas) {
    EXPECT_EQ(scenario(GetParam().scenario, GetParam().library), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Wrappers, SeriesTest,
    ::testing::Values(
        SeriesCase{"Tls10", "tls", FAKE10_PATH,
                   around10("lookup SSLv23_client_method\n"
                            "SSLv23_client_method\n"
                            "SSLv23_client_method\n"
                            "lookup SSLv23_server_method\n"
                            "SSLv23_server_method\n"
                            // options through the control call, command 32
                            "lookup SSL_CTX_ctrl\n"
                            "SSL_CTX_ctrl 32 4 null\n"
                            "options 260\n"
                            // one lookup, then the default without asking again
                            "lookup SSL_CTX_set_security_level\n"
                            "security level -1\n"
                            "security level -1\n"
                            "lookup SSL_CTX_set_ciphersuites\n"
                            "ciphersuites 0\n"
                            // the context's own member
                            "lookup SSL_CTX_get_ciphers\n"
                            "ciphers of none null\n"
                            "ciphers member\n"
                            "lookup CRYPTO_free\n"
                            "CRYPTO_free set\n")},
        SeriesCase{"Tls11", "tls", FAKE11_PATH,
                   "lookup TLS_client_method\n"
                   "lookup TLS_server_method\n"
                   "lookup SSL_CTX_set_options\n"
                   "SSL_CTX_set_options 4\n"
                   "options 260\n"
                   // the entry point returns nothing: the wrapper's own 1
                   "lookup SSL_CTX_set_security_level\n"
                   "SSL_CTX_set_security_level 2\n"
                   "security level 1\n"
                   "SSL_CTX_set_security_level 2\n"
                   "security level 1\n"
                   "lookup SSL_CTX_set_ciphersuites\n"
                   "SSL_CTX_set_ciphersuites TLS_AES_128_GCM_SHA256\n"
                   "ciphersuites 1\n"
                   "lookup SSL_CTX_get_ciphers\n"
                   "SSL_CTX_get_ciphers\n"
                   "ciphers of none null\n"
                   "SSL_CTX_get_ciphers\n"
                   "ciphers other\n"
                   "lookup CRYPTO_free\n"
                   "CRYPTO_free set src/openssl 2556\n"
                   "exit\n"},
        SeriesCase{"Certificates10", "certificates", FAKE10_PATH,
                   around10("lookup ASN1_INTEGER_get\n"
                            "ASN1_INTEGER_get\n"
                            "version 2\n"
                            // the validity pair is read without any lookup
                            "notBefore member\n"
                            "notAfter member\n"
                            "lookup X509_up_ref\n"
                            "lookup CRYPTO_add_lock\n"
                            "CRYPTO_add_lock 1 3 src/openssl 2819 -> 2\n"
                            "up_ref 1 references 2\n"
                            "CRYPTO_add_lock 1 3 src/openssl 2819 -> 1\n"
                            "up_ref 0 references 1\n"
                            "lookup sk_push\n"
                            "sk_push\n"
                            "sk_push\n"
                            "lookup BUF_MEM_grow\n"
                            "BUF_MEM_grow 18446744073709551615\n")},
        SeriesCase{"Certificates11", "certificates", FAKE11_PATH,
                   "lookup X509_get_version\n"
                   "X509_get_version\n"
                   "version 2\n"
                   "lookup X509_getm_notBefore\n"
                   "X509_getm_notBefore\n"
                   "notBefore other\n"
                   "lookup X509_getm_notAfter\n"
                   "X509_getm_notAfter\n"
                   "notAfter other\n"
                   "lookup X509_up_ref\n"
                   "X509_up_ref\n"
                   "up_ref 1 references 1\n"
                   "X509_up_ref\n"
                   "up_ref 1 references 0\n"
                   "lookup OPENSSL_sk_push\n"
                   "OPENSSL_sk_push\n"
                   "OPENSSL_sk_push\n"
                   "lookup BUF_MEM_grow\n"
                   "BUF_MEM_grow 18446744073709551615\n"
                   "exit\n"},
        SeriesCase{"Renames10", "renames", FAKE10_PATH, around10(renamesOld)},
        SeriesCase{"Renames11", "renames", FAKE11_PATH, renamesOld + "exit\n"},
        // the installed 3.x exports only the newer names
        SeriesCase{"Renames3", "renames", "libssl.so.3",
                   "lookup EVP_CIPHER_iv_length\n"
                   "lookup EVP_CIPHER_get_iv_length\n"
                   "lookup EVP_CIPHER_key_length\n"
                   "lookup EVP_CIPHER_get_key_length\n"
                   "lookup SSL_get_peer_certificate\n"
                   "lookup SSL_get1_peer_certificate\n"
                   "iv 16 key 32 peer null\n"
                   "iv 16 key 32 peer null\n"
                   "exit\n"},
        // a non-zero check, negative included, is true; a 32-bit id with its top bit is not sign-extended
        SeriesCase{"Conversions", "conversions", FAKE11_PATH,
                   "check true\n"
                   "id 2147483649\n"
                   "read 5\n"
                   "read 0\n"
                   "read -1\n"
                   "exit\n"}),
    [](const ::testing::TestParamInfo<SeriesCase>& info) { return std::string(info.param.name); });

TEST(OpenSSLReadTest, MemoryCheckerLearnsExactlyTheBytesDelivered) {
    if (!SCENARIO_UNDER_VALGRIND) GTEST_SKIP() << "Valgrind cannot run a sanitized build";
    // the stand-in reports bytes it never wrote: only the binding can make them defined
    auto result = Orvanta::Test::runProcess(
        {"valgrind", "-q", "--error-exitcode=99", SCENARIO_PATH, "conversions", FAKE11_PATH});
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out, "check true\n"
                          "id 2147483649\n"
                          "read 5 DDDDDUUUUUUUUUUU\n"
                          "read 0 UUUUUUUUUUUUUUUU\n"
                          "read -1 UUUUUUUUUUUUUUUU\n"
                          "exit\n");
}

} // namespace
