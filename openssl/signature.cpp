#include "openssl/signature.h"

#include "openssl/exception.h"
#include "openssl/functions.h"

#include <utility>
#include <vector>

namespace Orvanta::OpenSSL {

namespace {

// A digest context freed on every way out.
class DigestContext {
public:
    DigestContext() : _context(EVP_MD_CTX_new()) {}
    DigestContext(const DigestContext&) = delete;
    DigestContext& operator=(const DigestContext&) = delete;
    ~DigestContext() {
        if (!_context) return;
        try {
            EVP_MD_CTX_free(_context);
        } catch (...) {
            // the free function could not be bound: the context leaks,
            // which is all that can happen to it in a destructor
        }
    }
    evp_md_ctx_st* get() const { return _context; }

private:
    evp_md_ctx_st* _context;
};

const evp_md_st* lookupDigest(const char* name) {
    const evp_md_st* digest = EVP_get_digestbyname(name);
    if (!digest) throw Exception("unknown digest");
    return digest;
}

} // namespace

Signature::Signature(evp_pkey_st* key, const char* data, unsigned long size, const char* digest)
    : _key(key), _digest(EVP_get_digestbyname(digest)) {
    DigestContext context;
    if (!_digest) throw Exception("unknown digest");
    // no context, or a key without a size: OpenSSL says why in its queue
    if (!context.get()) throw Exception(ERR_get_error());
    int capacity = EVP_PKEY_size(key);
    if (capacity <= 0) throw Exception(ERR_get_error());
    std::vector<unsigned char> buffer(static_cast<size_t>(capacity), 0);
    unsigned int length = 0;
    if (EVP_DigestInit(context.get(), _digest) != 1) throw Exception(ERR_get_error());
    if (EVP_DigestUpdate(context.get(), data, size) != 1) throw Exception(ERR_get_error());
    if (EVP_SignFinal(context.get(), buffer.data(), &length, key) != 1) throw Exception(ERR_get_error());
    _signature.assign(reinterpret_cast<const char*>(buffer.data()), length);
}

Signature::Signature(evp_pkey_st* key, std::string signature, const char* digest)
    : _key(key), _digest(lookupDigest(digest)), _signature(std::move(signature)) {}

Signature::~Signature() = default;

bool Signature::verify(const char* data, unsigned long size) const {
    DigestContext context;
    if (!context.get()) return false;
    if (EVP_DigestInit(context.get(), _digest) != 1) return false;
    if (EVP_DigestUpdate(context.get(), data, size) != 1) return false;
    auto* bytes = reinterpret_cast<const unsigned char*>(_signature.data());
    return EVP_VerifyFinal(context.get(), bytes, static_cast<unsigned int>(_signature.size()), _key.get()) ==
           1;
}

} // namespace Orvanta::OpenSSL
