#include "mime/authentication/bodyhash.h"

#include "mime/authentication/algorithm.h"
#include "mime/authentication/canonicalizedbody.h"
#include "mime/grammar/capabilities.h"
#include "mime/message/body.h"
#include "openssl/base64.h"
#include "openssl/digest.h"

#include <algorithm>

namespace Orvanta::Mime {

namespace {

// Digests the first `limit` bytes it is given and counts them all.
class BodyDigest : public Filter::Result {
public:
    BodyDigest(const Algorithm& algorithm, size_t limit) : _digest(algorithm.digest()), _limit(limit) {}

    using Filter::Result::append;
    size_t append(const char* data, size_t size, bool) override {
        size_t take = _count < _limit ? std::min(size, _limit - _count) : 0;
        if (take > 0) _digest.update(data, take);
        _count += size;
        return size;
    }

    size_t count() const { return _count; }
    std::string base64() {
        std::string bytes = _digest.final();
        return OpenSSL::Base64::encode(bytes.data(), bytes.size(), false);
    }

private:
    OpenSSL::Digest _digest;
    size_t _limit;
    size_t _count = 0;
};

// the hash and size of what `feed` writes, canonicalized
template <typename Feed>
std::pair<std::string, size_t> digest(bool simple, const Algorithm& algorithm, size_t length, Feed feed) {
    BodyDigest digest(algorithm, length);
    CanonicalizeBody canonical(&digest, simple);
    feed(&canonical);
    canonical.finish();
    return {digest.base64(), digest.count()};
}

} // namespace

BodyHash BodyHash::written(const Capabilities& caps, const Body& body, bool simple,
                           const Algorithm& algorithm) {
    auto [hash, size] =
        digest(simple, algorithm, whole, [&](Filter::Result* out) { body.encode(caps, out, true); });
    return BodyHash(std::move(hash), size);
}

BodyHash BodyHash::received(const Body& body, bool simple, const Algorithm& algorithm, size_t length) {
    auto [hash, size] = digest(simple, algorithm, length, [&](Filter::Result* out) {
        // a body built by hand has no text of its own: it is taken as it
        // would be written
        if (body.data() == nullptr && !body.parts().empty())
            body.encode(Capabilities::utf8(), out, true);
        else
            out->append(body.data(), body.size(), true);
    });
    return BodyHash(std::move(hash), size);
}

} // namespace Orvanta::Mime
