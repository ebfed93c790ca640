#include "openssl/digest.h"

#include "openssl/exception.h"
#include "openssl/functions.h"

namespace Orvanta::OpenSSL {

Digest::Digest(const char* name) : Digest(EVP_get_digestbyname(name)) {}

Digest::Digest(const evp_md_st* type) {
    if (!type) throw Exception("unknown digest");
    _context = EVP_MD_CTX_new();
    // no context: OpenSSL says why in its queue
    if (!_context) throw Exception(ERR_get_error());
    if (EVP_DigestInit(_context, type) != 1) {
        unsigned long error = ERR_get_error();
        EVP_MD_CTX_free(_context);
        throw Exception(error);
    }
}

Digest::~Digest() {
    try {
        EVP_MD_CTX_free(_context);
    } catch (...) {
        // the free function could not be bound: the context leaks, which is
        // all that can happen to it in a destructor
    }
}

void Digest::update(const void* data, size_t size) {
    if (EVP_DigestUpdate(_context, data, size) != 1) throw Exception(ERR_get_error());
}

std::string Digest::final() {
    unsigned char bytes[64];
    unsigned int size = 0;
    if (EVP_DigestFinal_ex(_context, bytes, &size) != 1) throw Exception(ERR_get_error());
    return std::string(reinterpret_cast<const char*>(bytes), size);
}

} // namespace Orvanta::OpenSSL
