// A message digest over bytes given in pieces, so that a long text can be
// digested as it is produced instead of being gathered first.
#pragma once

#include "openssl/structures.h"

#include <cstddef>
#include <string>

namespace Orvanta::OpenSSL {

class Digest {
public:
    // Throws Exception "unknown digest" for a name OpenSSL does not know
    // ("sha1", "sha256", ...), and with OpenSSL's reason when it cannot start.
    explicit Digest(const char* name);
    // the same with a digest OpenSSL has looked up (null: "unknown digest")
    explicit Digest(const evp_md_st* type);
    Digest(const Digest&) = delete;
    Digest& operator=(const Digest&) = delete;
    ~Digest();

    // throws Exception with OpenSSL's reason
    void update(const void* data, size_t size);
    // the digest bytes; ends the digest
    std::string final();

    // the context, for OpenSSL calls that end a digest their own way
    evp_md_ctx_st* context() const { return _context; }

private:
    evp_md_ctx_st* _context = nullptr;
};

} // namespace Orvanta::OpenSSL
