// The digest a DKIM a= value names ("rsa-sha1", "rsa-sha256", "rsa-sha512").
#pragma once

namespace Orvanta::Mime {

class Algorithm {
public:
    enum Type { sha1 = 0, sha256 = 1, sha512 = 2 };

    // throws std::runtime_error "digest algorithm not set" for a null or empty
    // name and "unsupported digest algorithm" for any other name
    explicit Algorithm(const char* name);

    Type type() const { return _type; }
    // the name as a= writes it, in lower case
    const char* name() const;
    // the digest's name as OpenSSL knows it
    const char* digest() const;
    // the size of the digest in bytes
    unsigned size() const;

private:
    Type _type;
};

} // namespace Orvanta::Mime
