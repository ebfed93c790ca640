// The body hash of a signature (bh=): the base64 digest of the canonical
// body, or of its first bytes when the signature limits the length. The
// body streams through the canonicalization into the digest: nothing of the
// size of the message is built.
#pragma once

#include <cstddef>
#include <string>
#include <utility>

namespace Orvanta::Mime {

class Algorithm;
class Body;
class Capabilities;

class BodyHash {
public:
    static constexpr size_t whole = static_cast<size_t>(-1);

    // What a signer signs: the body exactly as encode writes it under these
    // capabilities.
    static BodyHash written(const Capabilities& caps, const Body& body, bool simple,
                            const Algorithm& algorithm);
    // What a verifier checks: the body's bytes as they were received (a body
    // built by hand as it would be written), `length` bytes of the canonical
    // body at most.
    static BodyHash received(const Body& body, bool simple, const Algorithm& algorithm,
                             size_t length = whole);

    const std::string& text() const { return _hash; }
    // the size of the whole canonical body, also beyond `length`
    size_t size() const { return _size; }

private:
    BodyHash(std::string hash, size_t size) : _hash(std::move(hash)), _size(size) {}

    std::string _hash;
    size_t _size;
};

} // namespace Orvanta::Mime
