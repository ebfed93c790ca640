// The DKIM signatures of one message, in header order; fields that do not
// parse are left out.
#pragma once

#include "mime/dkimsignature.h"

#include <vector>

namespace Orvanta::Mime {

class Header;

class DkimSignatures {
public:
    explicit DkimSignatures(Header const& header);
    virtual ~DkimSignatures() = default;

    std::vector<DkimSignature> const& signatures() const { return _signatures; }

private:
    std::vector<DkimSignature> _signatures;
};

} // namespace Orvanta::Mime
