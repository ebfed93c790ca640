#include "mime/authentication/algorithm.h"

#include <stdexcept>
#include <strings.h>

namespace Orvanta::Mime {

Algorithm::Algorithm(const char* name) {
    if (name == nullptr || *name == '\0') throw std::runtime_error("digest algorithm not set");
    if (strcasecmp(name, "rsa-sha256") == 0)
        _type = sha256;
    else if (strcasecmp(name, "rsa-sha1") == 0)
        _type = sha1;
    else if (strcasecmp(name, "rsa-sha512") == 0)
        _type = sha512;
    else
        throw std::runtime_error("unsupported digest algorithm");
}

const char* Algorithm::name() const {
    // in the order of Type
    static const char* const names[] = {"rsa-sha1", "rsa-sha256", "rsa-sha512"};
    return names[_type];
}

const char* Algorithm::digest() const {
    switch (_type) {
    case sha1:
        return "sha1";
    case sha512:
        return "sha512";
    default:
        return "sha256";
    }
}

unsigned Algorithm::size() const {
    switch (_type) {
    case sha1:
        return 20;
    case sha512:
        return 64;
    default:
        return 32;
    }
}

} // namespace Orvanta::Mime
