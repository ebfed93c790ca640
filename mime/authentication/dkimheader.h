// The value of a new DKIM-Signature field for a message: the tags, the body
// hash and the signature over the canonical header fields, folded as it will
// be written, so that the bytes signed are the bytes a verifier sees.
#pragma once

#include <cstddef>
#include <string>

namespace Orvanta::Mime {

class Canonicalization;
class Capabilities;
class ExtraHeaders;
class Object;
struct DkimKey;

class DkimHeader {
public:
    // the name the field is written with
    static constexpr const char* name = "DKIM-Signature";

    // Throws std::runtime_error "Cannot create DKIM header without a from
    // address", the errors of an unknown algorithm, SignerValues' for a
    // value that no tag can carry, and OpenSSL's.
    DkimHeader(const Capabilities& caps, const Object& message, const DkimKey& key, const ExtraHeaders& extra,
               long expiration, bool oversign, const Canonicalization& canonicalization);

    // the value, folded for a field that starts with the name, ':' and a blank
    const std::string& text() const { return _text; }

private:
    std::string _text;
};

// Throws std::runtime_error `error` for a message without a From field (or
// with an empty one): verifiers fail a signature whose h= does not name From,
// so neither a DKIM signature nor an ARC set is made over such a message.
void requireFrom(const Object& message, const char* error);

// The base64 signature of the data under the key, cut into a first piece of
// `first` characters and further pieces of 74 joined by `separator`.
class PartialSignature {
public:
    PartialSignature(const DkimKey& key, const std::string& data, size_t first, const char* separator = " ");

    const std::string& text() const { return _text; }

private:
    std::string _text;
};

} // namespace Orvanta::Mime
