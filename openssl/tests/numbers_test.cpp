#include "openssl/functions.h"
#include "openssl/tests/keyfiles.h"

#include "testsupport/process.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <memory>
#include <random>
#include <sstream>
#include <string>
#include <vector>

namespace Orvanta::OpenSSL {
namespace {

struct BignumFree {
    void operator()(bignum_st* number) const { BN_clear_free(number); }
};
using OwnedNumber = std::unique_ptr<bignum_st, BignumFree>;

std::string decimal(const bignum_st* number) {
    char* text = BN_bn2dec(number);
    std::string result = text ? text : "(null)";
    CRYPTO_free(text);
    return result;
}

std::string hex(const std::string& bytes) {
    std::string text;
    char b[3];
    for (unsigned char c : bytes) {
        std::snprintf(b, sizeof b, "%02x", c);
        text += b;
    }
    return text;
}

TEST(BigNumberTest, AgreesWithPythonsIntegers) {
    // random sizes up to 512 bits, some with leading zero bytes, and zero itself
    std::mt19937 generator(4711);
    std::vector<std::string> values = {"", std::string(3, '\0'), "\x01", std::string("\x00\xff", 2)};
    for (int i = 0; i < 40; ++i) {
        std::string bytes(generator() % 65, '\0');
        for (auto& c : bytes)
            c = static_cast<char>(generator());
        if (i % 5 == 0 && !bytes.empty()) bytes[0] = 0;
        values.push_back(bytes);
    }
    std::string input;
    for (const auto& v : values)
        input += hex(v) + "\n";
    auto python = Orvanta::Test::runProcess({Orvanta::Test::python3(), "-c",
                                             "import sys\nfor line in sys.stdin:\n    v = int(line.strip() "
                                             "or '0', 16)\n    print(v, v.bit_length(), "
                                             "format(v, 'x'))\n"},
                                            input);
    ASSERT_EQ(python.status, 0) << python.err;
    std::istringstream expected(python.out);

    for (const auto& bytes : values) {
        std::string wantDecimal, wantHex;
        int wantBits = -1;
        expected >> wantDecimal >> wantBits >> wantHex;
        OwnedNumber number(BN_bin2bn(reinterpret_cast<const unsigned char*>(bytes.data()),
                                     static_cast<int>(bytes.size()), nullptr));
        ASSERT_NE(number, nullptr);
        EXPECT_EQ(decimal(number.get()), wantDecimal) << hex(bytes);
        EXPECT_EQ(BN_num_bits(number.get()), wantBits) << hex(bytes);
        // back to bytes: the same value without its leading zeros
        std::string out(bytes.size(), '\0');
        int size = BN_bn2bin(number.get(), reinterpret_cast<unsigned char*>(out.data()));
        out.resize(static_cast<size_t>(size));
        std::string stripped = hex(out);
        EXPECT_EQ(stripped.empty() ? "0" : stripped.substr(stripped[0] == '0' ? 1 : 0), wantHex);
        OwnedNumber copy(BN_dup(number.get()));
        EXPECT_EQ(decimal(copy.get()), wantDecimal);
    }

    OwnedNumber word(BN_new());
    ASSERT_EQ(BN_set_word(word.get(), ULONG_MAX), 1);
    EXPECT_EQ(decimal(word.get()), "18446744073709551615");
    EXPECT_EQ(BN_num_bits(word.get()), 64);
}

struct RsaFree {
    void operator()(rsa_st* rsa) const { RSA_free(rsa); }
};

struct RsaCase {
    const char* digest;
    int nid;
    unsigned char* (*hash)(const unsigned char*, unsigned long, unsigned char*);
    unsigned int size;
};

TEST(RsaSignTest, SignaturesVerifyWithTheOpensslCommand) {
    std::string pem = OpenSSL::Test::readFile(OpenSSL::Test::keyFiles("rsa").privatePath);
    bio_st* bio = BIO_new_mem_buf(pem.data(), static_cast<int>(pem.size()));
    std::unique_ptr<rsa_st, RsaFree> rsa(PEM_read_bio_RSAPrivateKey(bio, nullptr, nullptr, nullptr));
    BIO_free(bio);
    ASSERT_NE(rsa, nullptr);
    const std::string data = "The binding signs what the openssl command verifies.\n";
    auto* bytes = reinterpret_cast<const unsigned char*>(data.data());

    for (const RsaCase& c : {RsaCase{"sha1", 64, SHA1, 20}, RsaCase{"sha256", 672, SHA256, 32},
                             RsaCase{"sha512", 674, SHA512, 64}}) {
        unsigned char digest[64];
        c.hash(bytes, data.size(), digest);
        std::string signature(static_cast<size_t>(RSA_size(rsa.get())), '\0');
        unsigned int length = 0;
        ASSERT_EQ(RSA_sign(c.nid, digest, c.size, reinterpret_cast<unsigned char*>(signature.data()), &length,
                           rsa.get()),
                  1)
            << c.digest;
        EXPECT_EQ(length, signature.size()) << c.digest;
        EXPECT_TRUE(OpenSSL::Test::opensslVerifies("rsa", c.digest, data, signature)) << c.digest;
        EXPECT_FALSE(OpenSSL::Test::opensslVerifies("rsa", c.digest, data + ".", signature)) << c.digest;
    }
}

TEST(ObjectTest, WellKnownNamesMapBothWays) {
    struct Known {
        const char* shortName;
        const char* longName;
        int nid;
    } known[] = {{"CN", "commonName", 13},
                 {"rsaEncryption", "rsaEncryption", 6},
                 {"SHA256", "sha256", 672},
                 {"subjectAltName", "X509v3 Subject Alternative Name", 85},
                 {"prime256v1", "prime256v1", 415}};
    for (const auto& k : known) {
        EXPECT_EQ(OBJ_sn2nid(k.shortName), k.nid) << k.shortName;
        EXPECT_EQ(OBJ_ln2nid(k.longName), k.nid) << k.longName;
        EXPECT_STREQ(OBJ_nid2sn(k.nid), k.shortName);
        EXPECT_STREQ(OBJ_nid2ln(k.nid), k.longName);
        asn1_object_st* object = OBJ_nid2obj(k.nid);
        ASSERT_NE(object, nullptr);
        EXPECT_EQ(OBJ_obj2nid(object), k.nid);
    }
    // unknown names are OpenSSL's undefined object, 0
    EXPECT_EQ(OBJ_sn2nid("no-such-object"), 0);
    EXPECT_EQ(OBJ_ln2nid("no such object"), 0);
}

int compareText(const void* a, const void* b) {
    return std::strcmp(*static_cast<const char* const*>(a), *static_cast<const char* const*>(b));
}

std::string contents(const stack_st* stack) {
    std::string text;
    for (int i = 0; i < stack_num(stack); ++i)
        text += std::string(i ? " " : "") + static_cast<const char*>(stack_value(stack, i));
    return text;
}

TEST(StackTest, BehavesLikeASequence) {
    char a[] = "a", b[] = "b", c[] = "c", x[] = "x", y[] = "y", z[] = "z";
    stack_st* stack = stack_new_null();
    ASSERT_NE(stack, nullptr);
    int count = 0;
    for (char* item : {a, b, c})
        EXPECT_EQ(stack_push(stack, item), ++count); // the new number of elements
    EXPECT_EQ(stack_unshift(stack, z), 4);
    EXPECT_EQ(stack_insert(stack, x, 2), 5);
    EXPECT_EQ(contents(stack), "z a x b c");
    EXPECT_EQ(stack_set(stack, 0, y), y);
    EXPECT_EQ(stack_delete(stack, 1), a);
    EXPECT_EQ(stack_delete_ptr(stack, b), b);
    EXPECT_EQ(stack_delete_ptr(stack, b), nullptr);
    EXPECT_EQ(contents(stack), "y x c");
    // without a comparison, find looks for the pointer itself
    EXPECT_EQ(stack_find(stack, c), 2);
    EXPECT_EQ(stack_shift(stack), y);
    EXPECT_EQ(stack_pop(stack), c);
    EXPECT_EQ(contents(stack), "x");
    stack_zero(stack);
    EXPECT_EQ(stack_num(stack), 0);
    EXPECT_EQ(stack_pop(stack), nullptr);
    stack_free(stack);
}

TEST(StackTest, SortsFindsAndReleasesWithCallbacks) {
    stack_st* stack = stack_new(compareText);
    ASSERT_NE(stack, nullptr);
    for (const char* fruit : {"pear", "apple", "fig", "apple"})
        stack_push(stack, strdup(fruit));
    EXPECT_EQ(stack_is_sorted(stack), 0);
    stack_sort(stack);
    EXPECT_EQ(stack_is_sorted(stack), 1);
    EXPECT_EQ(contents(stack), "apple apple fig pear");
    // with a comparison, find looks for an equal element
    char fig[] = "fig", kiwi[] = "kiwi";
    EXPECT_EQ(stack_find(stack, fig), 2);
    EXPECT_EQ(stack_find(stack, kiwi), -1);
    EXPECT_EQ(stack_find_ex(stack, kiwi), 3); // where kiwi would go
    stack_st* copy = stack_dup(stack);
    EXPECT_EQ(contents(copy), contents(stack));
    EXPECT_EQ(stack_set_cmp_func(copy, nullptr), &compareText);
    EXPECT_EQ(stack_find(copy, fig), -1); // by pointer again
    stack_free(copy);

    static int released;
    released = 0;
    stack_pop_free(stack, [](void* item) {
        ++released;
        std::free(item);
    });
    EXPECT_EQ(released, 4);
}

TEST(BufferTest, GrowsAndRefusesANegativeSize) {
    buf_mem_st* buffer = BUF_MEM_new();
    ASSERT_NE(buffer, nullptr);
    EXPECT_EQ(BUF_MEM_grow(buffer, 100), 100u);
    // -1 reaches OpenSSL as the largest size, which it refuses
    EXPECT_EQ(BUF_MEM_grow(buffer, -1), 0u);
    EXPECT_EQ(BUF_MEM_grow(buffer, 50), 50u);
    BUF_MEM_free(buffer);
    ERR_clear_error();
}

TEST(CipherParameterTest, LengthsOfAes256Cbc) {
    EXPECT_EQ(EVP_CIPHER_iv_length(EVP_aes_256_cbc()), 16);
    EXPECT_EQ(EVP_CIPHER_key_length(EVP_aes_256_cbc()), 32);
    EXPECT_EQ(EVP_CIPHER_iv_length(EVP_get_cipherbyname("aes-128-ctr")), 16);
    EXPECT_EQ(EVP_CIPHER_key_length(EVP_get_cipherbyname("aes-128-ctr")), 16);
}

} // namespace
} // namespace Orvanta::OpenSSL
