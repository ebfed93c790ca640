#include "mime/bodyhash.h"

#include "mime/algorithm.h"
#include "mime/canonicalizedbody.h"
#include "openssl/base64.h"
#include "openssl/functions.h"

#include <algorithm>

namespace Orvanta::Mime {

BodyHash::BodyHash(const CanonicalizedBody& body, const Algorithm& algorithm, size_t length) {
    const auto* data = reinterpret_cast<const unsigned char*>(body.text().data());
    size_t size = std::min(length, body.text().size());
    unsigned char digest[64];
    switch (algorithm.type()) {
    case Algorithm::sha1:
        OpenSSL::SHA1(data, size, digest);
        break;
    case Algorithm::sha512:
        OpenSSL::SHA512(data, size, digest);
        break;
    default:
        OpenSSL::SHA256(data, size, digest);
        break;
    }
    _hash = OpenSSL::Base64::encode(reinterpret_cast<const char*>(digest), algorithm.size(), false);
}

} // namespace Orvanta::Mime
