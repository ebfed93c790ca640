// The body hash of a signature (bh=): the base64 digest of the canonical
// body, or of its first bytes when the signature limits the length.
#pragma once

#include <cstddef>
#include <string>

namespace Orvanta::Mime {

class Algorithm;
class CanonicalizedBody;

class BodyHash {
public:
    static constexpr size_t whole = static_cast<size_t>(-1);

    // `length` bytes of the canonical body, never more than it has
    BodyHash(const CanonicalizedBody& body, const Algorithm& algorithm, size_t length = whole);

    const std::string& text() const { return _hash; }

private:
    std::string _hash;
};

} // namespace Orvanta::Mime
