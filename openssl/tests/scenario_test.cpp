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
    std::string tail = "error [Method BIO_new not found ]\nexit\n";
    ASSERT_GE(out.size(), tail.size());
    EXPECT_EQ(out.substr(out.size() - tail.size()), tail) << out;
}

} // namespace
