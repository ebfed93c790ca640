// The name of a header field, with the predicates that route a field to its
// typed value.
#pragma once

#include "mime/grammar/istring.h"

namespace Orvanta::Mime {
enum class SignatureType;
}

namespace Orvanta::Mime {

class Key : public IString {
public:
    using IString::IString;

    bool containsMailboxes() const;
    bool containsMailbox() const;
    bool containsTargets() const;
    bool supportsEncodedWords() const;
    bool containsAuthenticationResults() const;
    bool containsArcAuthenticationResults() const;
    bool containsArcSeal() const;
    bool containsArcMessageSignature() const;
    bool containsDkimSignature() const;
    // whether a signer covers a field of this name unless told otherwise
    bool canonicalized(SignatureType type) const;

    // Whether the text can head a field: one or more printable US-ASCII bytes
    // but the colon (RFC 5322 2.2). Any other name written out reads back as
    // another field (a colon, a line end), or as no header at all (8-bit
    // bytes, an empty name): editors and signers refuse it.
    static bool fieldName(const char* data, size_t size);
    bool fieldName() const { return fieldName(_data, _size); }
};

} // namespace Orvanta::Mime
