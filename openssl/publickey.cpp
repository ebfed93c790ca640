#include "openssl/publickey.h"

#include "openssl/exception.h"
#include "openssl/functions.h"

#include <climits>
#include <string>

namespace Orvanta::OpenSSL {

namespace {

// A read-only memory BIO over the caller's bytes.
class MemoryBuffer {
public:
    MemoryBuffer(const char* data, int size) : _bio(BIO_new_mem_buf(const_cast<char*>(data), size)) {}
    MemoryBuffer(const MemoryBuffer&) = delete;
    MemoryBuffer& operator=(const MemoryBuffer&) = delete;
    ~MemoryBuffer() {
        try {
            BIO_free(_bio);
        } catch (...) {
            // BIO_free could not be bound: the BIO leaks, nothing else to do here
        }
    }

    // the public key in the buffer, or null
    evp_pkey_st* read() const {
        if (!_bio) return nullptr;
        return PEM_read_bio_PUBKEY(_bio, nullptr, nullptr, nullptr);
    }

private:
    bio_st* _bio;
};

bool isSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

std::string wrapBareKey(const char* data, unsigned long size) {
    std::string text;
    text.reserve(size + size / 64 + 62);
    text += "-----BEGIN PUBLIC KEY-----\n";
    size_t count = 0;
    for (unsigned long i = 0; i < size; ++i) {
        if (isSpace(data[i])) continue;
        text += data[i];
        if (++count % 64 == 0) text += '\n';
    }
    if (count % 64 != 0) text += '\n';
    text += "-----END PUBLIC KEY-----\n";
    return text;
}

} // namespace

PublicKey::PublicKey(const char* data, unsigned long size) {
    // OpenSSL measures memory BIOs in int; no key text comes near that
    if (size > INT_MAX) throw Exception("public key text too long");
    MemoryBuffer first(data, static_cast<int>(size));
    _key = first.read();
    if (_key) return;
    // the first attempt's errors would otherwise be what a later, unrelated
    // failure reports
    ERR_clear_error();
    std::string text = wrapBareKey(data, size);
    if (text.size() > INT_MAX) throw Exception("public key text too long");
    MemoryBuffer second(text.data(), static_cast<int>(text.size()));
    _key = second.read();
    if (!_key) throw Exception(ERR_get_error());
}

PublicKey::~PublicKey() {
    if (!_key) return;
    try {
        EVP_PKEY_free(_key);
    } catch (...) {
        // EVP_PKEY_free could not be bound: the key leaks, nothing else to do here
    }
}

} // namespace Orvanta::OpenSSL
