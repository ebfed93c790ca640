// The value of an ARC-Seal header field: a DKIM-style tag list whose i= is
// the instance of its ARC set and whose cv= says how the sealer found the
// chain before it. Built and signed afresh when a message is sealed.
#pragma once

#include "mime/authentication/dkimsignature.h"

namespace Orvanta::Mime {

class ArcAuthenticationResults;
class ArcMessageSignature;
class ArcSignData;

class ArcSealSignature : public DkimSignature {
public:
    ArcSealSignature() = default;
    // Parses a value. A value without i= throws std::out_of_range, an i=
    // that is no number std::invalid_argument or std::out_of_range; strict
    // requires i, a, b, cv, d and s ("header is incomplete"). t= is
    // optional: sealers leave it out.
    ArcSealSignature(const char* data, size_t size, bool strict);
    // The seal of a new set: signs the earlier sets (none when it seals a
    // failed chain), the new results and message signature, and itself
    // without b=. Throws what canonicalizing and signing throw.
    ArcSealSignature(const Capabilities& caps, const ArcSignData& data,
                     const ArcAuthenticationResults& results, const ArcMessageSignature& signature);

    int instance() const { return _instance; }
    // the chain validation the sealer saw (cv=)
    const std::string& chain() const { return get("cv"); }
    // cv= fits the instance: none for the first set, pass for any later one
    bool cv() const;
    // The oldest set the seal covers: 1, or its own when it declares the
    // chain failed (cv=fail), since the sets below a failure are not vouched
    // for (RFC 8617 5.1.2).
    int covered() const;

    bool complete() const override;
    Key key() const override;
    const Line* line(const Header& header) const override;

private:
    int _instance = 0;
};

} // namespace Orvanta::Mime
