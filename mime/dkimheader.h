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
    static constexpr char const* name = "DKIM-Signature";

    // Throws std::runtime_error "Cannot create DKIM header without a from
    // address", the errors of an unknown algorithm and OpenSSL's.
    DkimHeader(Capabilities const& caps, Object const& message, DkimKey const& key, ExtraHeaders const& extra,
               long expiration, bool oversign, Canonicalization const& canonicalization);

    // the value, folded for a field that starts with the name, ':' and a blank
    std::string const& text() const { return _text; }

private:
    std::string _text;
};

// The base64 signature of the data under the key, cut into a first piece of
// `first` characters and further pieces of 74 joined by `separator`.
class PartialSignature {
public:
    PartialSignature(DkimKey const& key, std::string const& data, size_t first, char const* separator = " ");

    std::string const& text() const { return _text; }

private:
    std::string _text;
};

} // namespace Orvanta::Mime
