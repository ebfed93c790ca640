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
};

} // namespace Orvanta::Mime
