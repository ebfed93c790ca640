#include "openssl/exception.h"
#include "openssl/functions.h"
#include "openssl/key.h"
#include "openssl/publickey.h"
#include "openssl/signature.h"
#include "openssl/tests/keyfiles.h"

#include "testsupport/process.h"

#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <string>

namespace Orvanta::OpenSSL {
namespace {

using Test::keyFiles;
using Test::opensslVerifies;
using Test::readFile;
using Test::writeFile;

using Test::OwnedKey;

OwnedKey privateKey(const std::string& kind) {
    return Test::readPrivateKey(keyFiles(kind).privatePath);
}

std::string message() {
    std::mt19937 generator(17);
    std::string bytes(3000, '\0');
    for (auto& c : bytes)
        c = static_cast<char>(generator());
    return bytes;
}

std::string opensslSigns(const std::string& kind, const std::string& digest, const std::string& data) {
    std::string dir = Orvanta::Test::scratchDir("openssl-sign");
    writeFile(dir + "/data", data);
    auto result =
        Orvanta::Test::runProcess({"openssl", "dgst", "-" + digest, "-sign", keyFiles(kind).privatePath,
                                   "-out", dir + "/signature", dir + "/data"});
    EXPECT_EQ(result.status, 0) << result.err;
    return readFile(dir + "/signature");
}

class SignatureTest : public ::testing::TestWithParam<std::pair<const char*, const char*>> {};

TEST_P(SignatureTest, SignedHereVerifiedByTheOpensslCommand) {
    auto [kind, digest] = GetParam();
    OwnedKey key = privateKey(kind);
    std::string data = message();
    Signature signature(key.get(), data.data(), data.size(), digest);
    ASSERT_FALSE(signature.signature().empty());
    EXPECT_TRUE(opensslVerifies(kind, digest, data, signature.signature()));
    EXPECT_FALSE(opensslVerifies(kind, digest, data + "x", signature.signature()));
    // the signer checks its own signature, too
    EXPECT_TRUE(signature.verify(data.data(), data.size()));
}

TEST_P(SignatureTest, SignedByTheOpensslCommandVerifiedHere) {
    auto [kind, digest] = GetParam();
    std::string data = message();
    std::string bytes = opensslSigns(kind, digest, data);
    PublicKey publicKey(keyFiles(kind).publicPem.data(), keyFiles(kind).publicPem.size());
    Signature good(publicKey.key(), bytes, digest);
    EXPECT_TRUE(good.verify(data.data(), data.size()));
    EXPECT_FALSE(good.verify(data.data(), data.size() - 1));

    std::string flipped = bytes;
    flipped[flipped.size() / 2] ^= 0x01;
    EXPECT_FALSE(Signature(publicKey.key(), flipped, digest).verify(data.data(), data.size()));
    EXPECT_FALSE(Signature(publicKey.key(), bytes.substr(1), digest).verify(data.data(), data.size()));
    EXPECT_FALSE(Signature(publicKey.key(), "", digest).verify(data.data(), data.size()));
    ERR_clear_error();
}

INSTANTIATE_TEST_SUITE_P(KeysAndDigests, SignatureTest,
                         ::testing::Values(std::make_pair("rsa", "sha256"), std::make_pair("rsa", "sha1"),
                                           std::make_pair("rsa", "sha512"), std::make_pair("ec", "sha256")));

TEST(SignatureErrorTest, UnknownDigestInBothForms) {
    OwnedKey key = privateKey("rsa");
    try {
        Signature signature(key.get(), "abc", 3, "sha-nonsense");
        FAIL() << "signed with an unknown digest";
    } catch (const Exception& e) {
        EXPECT_STREQ(e.what(), "unknown digest");
    }
    try {
        Signature signature(key.get(), std::string("xyz"), "sha-nonsense");
        FAIL() << "accepted an unknown digest";
    } catch (const Exception& e) {
        EXPECT_STREQ(e.what(), "unknown digest");
    }
}

TEST(SignatureErrorTest, RsaKeyUnder1024BitsNeitherSignsNorVerifies) {
    OwnedKey key = privateKey("rsa512");
    try {
        Signature signature(key.get(), "abc", 3, "sha256");
        FAIL() << "signed with a 512-bit key";
    } catch (const Exception& e) {
        EXPECT_STREQ(e.what(), "RSA key shorter than 1024 bits");
    }
    EXPECT_TRUE(Signature::weak(key.get()));
    EXPECT_FALSE(Signature::weak(privateKey("rsa").get()));
}

TEST(SignatureErrorTest, KeyWithoutPrivatePartCannotSign) {
    const auto& pem = keyFiles("rsa").publicPem;
    PublicKey publicKey(pem.data(), pem.size());
    ERR_clear_error();
    EXPECT_THROW(Signature(publicKey.key(), "abc", 3, "sha256"), Exception);
    ERR_clear_error();
}

TEST(KeyTest, HoldsItsOwnReference) {
    OwnedKey key = privateKey("ec");
    Key held(key.get());
    evp_pkey_st* raw = key.get();
    key.reset(); // the caller's reference is gone; the held one keeps the key alive
    EXPECT_EQ(held.get(), raw);
    Signature signature(held.get(), "abc", 3, "sha256");
    EXPECT_TRUE(signature.verify("abc", 3));
}

// the base64 body of a PEM block, as a key record carries it
std::string bareKey(const std::string& pem) {
    std::string body;
    size_t start = pem.find('\n') + 1;
    size_t end = pem.find("-----END");
    for (size_t i = start; i < end; ++i)
        if (pem[i] != '\n') body += pem[i];
    return body;
}

// leaves an error of some earlier failure in the thread's queue
void queueUnrelatedError() {
    char text[] = "garbage";
    bio_st* bio = BIO_new_mem_buf(text, 7);
    EXPECT_EQ(PEM_read_bio_PrivateKey(bio, nullptr, nullptr, nullptr), nullptr);
    BIO_free(bio);
}

TEST(PublicKeyTest, ReadsPemAndBareKeys) {
    for (const char* kind : {"rsa", "ec"}) {
        const std::string& pem = keyFiles(kind).publicPem;
        std::string data = message();
        std::string bytes = opensslSigns(kind, "sha256", data);

        PublicKey fromPem(pem.data(), pem.size());
        ASSERT_NE(fromPem.key(), nullptr);

        std::string bare = bareKey(pem);
        // split as DNS text records deliver it, with blanks, tabs and line ends
        std::string spaced;
        for (size_t i = 0; i < bare.size(); ++i) {
            spaced += bare[i];
            if (i % 50 == 49) spaced += "\t \r\n ";
        }
        for (const std::string& text : {bare, spaced, " " + bare + "\n"}) {
            queueUnrelatedError();
            PublicKey fromBare(text.data(), text.size());
            ASSERT_NE(fromBare.key(), nullptr) << kind;
            EXPECT_TRUE(Signature(fromBare.key(), bytes, "sha256").verify(data.data(), data.size())) << kind;
            // neither the failed first reading nor what was queued before it stays behind
            EXPECT_EQ(ERR_get_error(), 0u) << kind;
        }
    }
}

TEST(PublicKeyTest, TextThatIsNoKeyThrows) {
    for (std::string text : {std::string("not a key at all"), std::string(), std::string(" \t\n"),
                             bareKey(keyFiles("rsa").publicPem).substr(0, 100)}) {
        ERR_clear_error();
        try {
            PublicKey key(text.data(), text.size());
            FAIL() << "read a key from [" << text << "]";
        } catch (const Exception& e) {
            EXPECT_STRNE(e.what(), "") << text;
        }
        ERR_clear_error();
    }
}

} // namespace
} // namespace Orvanta::OpenSSL
