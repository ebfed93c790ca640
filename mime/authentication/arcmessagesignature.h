// The value of an ARC-Message-Signature header field: a DKIM signature
// without v= whose i= is the instance of its ARC set. It signs header fields
// and the body as a DKIM signature does; built and signed afresh when a
// message is sealed.
#pragma once

#include "mime/authentication/dkimsignature.h"

namespace Orvanta::Mime {

class ArcSignData;

class ArcMessageSignature : public DkimSignature {
public:
    ArcMessageSignature() = default;
    // Parses a value. A value without i= throws std::out_of_range, an i=
    // that is no number std::invalid_argument or std::out_of_range; strict
    // requires i, a, b, bh, d, s and a non-empty h= ("header is
    // incomplete").
    ArcMessageSignature(const char* data, size_t size, bool strict);
    // The message signature of a new set over the message of `data`:
    // relaxed/relaxed, the usual fields and the DKIM signatures; `expire`
    // (0: none) becomes x=, `oversign` repeats each signed name once more.
    // A message without a From field throws std::runtime_error "Cannot
    // create ARC message signature without a from address".
    ArcMessageSignature(const Capabilities& caps, const ArcSignData& data, long expire, bool oversign);

    int instance() const { return _instance; }
    // sets i= (keeping its place among the tags)
    void instance(int number);

    bool complete() const override;
    Key key() const override;
    const Line* line(const Header& header) const override;

private:
    int _instance = 0;
};

} // namespace Orvanta::Mime
