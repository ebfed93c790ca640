#include "openssl/signature.h"

#include "openssl/digest.h"
#include "openssl/exception.h"
#include "openssl/functions.h"

#include <cstring>
#include <utility>
#include <vector>

namespace Orvanta::OpenSSL {

namespace {

const evp_md_st* lookupDigest(const char* name) {
    const evp_md_st* digest = EVP_get_digestbyname(name);
    if (!digest) throw Exception("unknown digest");
    return digest;
}

// the DER prefix of a PKCS #1 DigestInfo, the digest's bytes following
struct DigestInfo {
    const char* name;
    const unsigned char* prefix;
    size_t prefixSize;
    size_t digestSize;
    unsigned char* (*hash)(const unsigned char*, unsigned long, unsigned char*);
};

const DigestInfo& digestInfo(const char* name) {
    static const unsigned char sha1[] = {0x30, 0x21, 0x30, 0x09, 0x06, 0x05, 0x2b, 0x0e,
                                         0x03, 0x02, 0x1a, 0x05, 0x00, 0x04, 0x14};
    static const unsigned char sha256[] = {0x30, 0x31, 0x30, 0x0d, 0x06, 0x09, 0x60, 0x86, 0x48, 0x01,
                                           0x65, 0x03, 0x04, 0x02, 0x01, 0x05, 0x00, 0x04, 0x20};
    static const unsigned char sha512[] = {0x30, 0x51, 0x30, 0x0d, 0x06, 0x09, 0x60, 0x86, 0x48, 0x01,
                                           0x65, 0x03, 0x04, 0x02, 0x03, 0x05, 0x00, 0x04, 0x40};
    static const DigestInfo infos[] = {
        {"sha256", sha256, sizeof sha256, 32, SHA256},
        {"sha1", sha1, sizeof sha1, 20, SHA1},
        {"sha512", sha512, sizeof sha512, 64, SHA512},
    };
    for (const DigestInfo& info : infos)
        if (std::strcmp(name, info.name) == 0) return info;
    return infos[0];
}

} // namespace

bool Signature::rsa(evp_pkey_st* key) {
    // The type, not the RSA key itself: asking for that makes OpenSSL 3 copy
    // the key into its old form, a share of a check and most of a signing.
    // RSA-PSS keys are RSA keys to OpenSSL as well.
    int type = EVP_PKEY_base_id(key);
    return type == rsaEncryption || type == rsaPss;
}

bool Signature::pkcs1(evp_pkey_st* key) {
    return EVP_PKEY_base_id(key) == rsaEncryption;
}

bool Signature::weak(evp_pkey_st* key) {
    // the rule is not for other keys (an EC key is short)
    return EVP_PKEY_bits(key) < minimumRsaBits && rsa(key);
}

bool Signature::verifyRsa(evp_pkey_st* key, const char* digest, const std::string& data,
                          const std::string& signature) {
    const DigestInfo& info = digestInfo(digest);
    unsigned char hashed[64];
    info.hash(reinterpret_cast<const unsigned char*>(data.data()), data.size(), hashed);
    std::string expected(reinterpret_cast<const char*>(info.prefix), info.prefixSize);
    expected.append(reinterpret_cast<const char*>(hashed), info.digestSize);
    rsa_st* rsa = EVP_PKEY_get1_RSA(key);
    if (rsa == nullptr) return false;
    int size = RSA_size(rsa);
    std::string opened(size > 0 ? static_cast<size_t>(size) : 0, '\0');
    int length = signature.size() == opened.size() && EVP_PKEY_bits(key) >= minimumRsaBits
                     ? RSA_public_decrypt(static_cast<int>(signature.size()),
                                          reinterpret_cast<const unsigned char*>(signature.data()),
                                          reinterpret_cast<unsigned char*>(&opened[0]), rsa, 1)
                     : -1;
    RSA_free(rsa);
    return length == static_cast<int>(expected.size()) && opened.compare(0, expected.size(), expected) == 0;
}

Signature::Signature(evp_pkey_st* key, const char* data, unsigned long size, const char* digest)
    : _key(key), _digest(lookupDigest(digest)) {
    if (weak(key)) throw Exception("RSA key shorter than 1024 bits");
    Digest context(_digest);
    // a key without a size: OpenSSL says why in its queue
    int capacity = EVP_PKEY_size(key);
    if (capacity <= 0) throw Exception(ERR_get_error());
    std::vector<unsigned char> buffer(static_cast<size_t>(capacity), 0);
    unsigned int length = 0;
    context.update(data, size);
    if (EVP_SignFinal(context.context(), buffer.data(), &length, key) != 1) throw Exception(ERR_get_error());
    _signature.assign(reinterpret_cast<const char*>(buffer.data()), length);
}

Signature::Signature(evp_pkey_st* key, std::string signature, const char* digest)
    : _key(key), _digest(lookupDigest(digest)), _signature(std::move(signature)) {}

Signature::~Signature() = default;

bool Signature::verify(const char* data, unsigned long size) const {
    try {
        if (weak(_key.get())) return false;
        Digest context(_digest);
        context.update(data, size);
        auto* bytes = reinterpret_cast<const unsigned char*>(_signature.data());
        return EVP_VerifyFinal(context.context(), bytes, static_cast<unsigned int>(_signature.size()),
                               _key.get()) == 1;
    } catch (const Exception&) {
        // a digest that cannot be made is a check that fails
        return false;
    }
}

} // namespace Orvanta::OpenSSL
