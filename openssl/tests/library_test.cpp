#include "dynamic/function.h"
#include "openssl/functions.h"
#include "openssl/library.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace Orvanta::OpenSSL {
namespace {

TEST(OpenSSLLibraryTest, NameListRunsFromTheDevelopmentLinkDownTo100) {
    size_t count = 0;
    while (versions[count])
        ++count;
    ASSERT_EQ(count, 79u);
    EXPECT_STREQ(versions[0], "libssl.so");
    EXPECT_STREQ(versions[1], "libssl.so.3");
    EXPECT_STREQ(versions[3], "libssl.so.1.1");
    EXPECT_STREQ(versions[4], "libssl.so.1.1.1s");
    EXPECT_STREQ(versions[23], "libssl.so.1.1.1");
    EXPECT_STREQ(versions[24], "libssl.so.1.1.0l");
    EXPECT_STREQ(versions[37], "libssl.so.1.0.2t");
    EXPECT_STREQ(versions[57], "libssl.so.1.0.2");
    EXPECT_STREQ(versions[58], "libssl.so.1.0.1w");
    EXPECT_STREQ(versions[76], "libssl.so.1.0.1e");
    EXPECT_STREQ(versions[77], "libssl.so.1.0.1");
    EXPECT_STREQ(versions[78], "libssl.so.1.0.0");
}

TEST(OpenSSLLibraryTest, InstalledLibraryIsOpenedByNameWithTheNewApi) {
    ASSERT_TRUE(valid());
    EXPECT_NE(handle(), nullptr);
    EXPECT_TRUE(library().handle()->byName());
    EXPECT_FALSE(library().oldApi());
    EXPECT_TRUE(supportsDane());
    std::string version = OpenSSL_version(0);
    EXPECT_EQ(version.rfind("OpenSSL 3.", 0), 0u) << version;
}

TEST(OpenSSLLibraryTest, RenamedEntryPointsAnswerThroughTheNewNames) {
    ASSERT_NE(EVP_sha256(), nullptr);
    EXPECT_EQ(EVP_MD_size(EVP_sha256()), 32);
    EXPECT_EQ(EVP_MD_size(EVP_sha1()), 20);
    EXPECT_EQ(EVP_MD_type(EVP_sha512()), 674); // NID_sha512
    EXPECT_EQ(EVP_CIPHER_block_size(EVP_aes_256_cbc()), 16);
}

TEST(OpenSSLLibraryTest, OneShotDigests) {
    const std::string text = "abc";
    const auto* data = reinterpret_cast<const unsigned char*>(text.data());
    unsigned char out[64];
    auto hex = [&](size_t n) {
        std::string s;
        char b[3];
        for (size_t i = 0; i < n; ++i) {
            std::snprintf(b, sizeof b, "%02x", out[i]);
            s += b;
        }
        return s;
    };
    EXPECT_EQ(SHA1(data, text.size(), out), out);
    EXPECT_EQ(hex(20), "a9993e364706816aba3e25717850c26c9cd0d89d");
    SHA256(data, text.size(), out);
    EXPECT_EQ(hex(32), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
    SHA512(data, text.size(), out);
    EXPECT_EQ(hex(64).substr(0, 32), "ddaf35a193617abacc417349ae204131");
    MD5(data, text.size(), out);
    EXPECT_EQ(hex(16), "900150983cd24fb0d6963f7d28e17f72");
}

TEST(OpenSSLLibraryTest, CipherContextsComeFromTheLibrary) {
    evp_cipher_ctx_st* context = EVP_CIPHER_CTX_new();
    ASSERT_NE(context, nullptr);
    unsigned char key[32] = {1}, iv[16] = {2};
    EXPECT_EQ(EVP_CipherInit_ex(context, EVP_aes_256_cbc(), nullptr, key, iv, 1), 1);
    EVP_CIPHER_CTX_free(context);
    EVP_CIPHER_CTX_free(nullptr);
}

TEST(OpenSSLLibraryTest, MissingEntryPointIsTheBindingError) {
    // an entry point that only 1.0 had: every call looks for it again
    for (int i = 0; i < 2; ++i) {
        try {
            Dynamic::Function<int()> gone(library(), "SSL_library_init");
            FAIL() << "bound a name OpenSSL 3 does not export";
        } catch (const std::runtime_error& e) {
            EXPECT_EQ(std::string(e.what()).rfind("Method SSL_library_init not found ", 0), 0u) << e.what();
        }
    }
}

} // namespace
} // namespace Orvanta::OpenSSL
