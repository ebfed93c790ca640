#include "openssl/signature.h"

#include "openssl/digest.h"
#include "openssl/exception.h"
#include "openssl/functions.h"

#include <utility>
#include <vector>

namespace Orvanta::OpenSSL {

namespace {

const evp_md_st* lookupDigest(const char* name) {
    const evp_md_st* digest = EVP_get_digestbyname(name);
    if (!digest) throw Exception("unknown digest");
    return digest;
}

} // namespace

Signature::Signature(evp_pkey_st* key, const char* data, unsigned long size, const char* digest)
    : _key(key), _digest(lookupDigest(digest)) {
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
