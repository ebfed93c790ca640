// The DKIM signatures of one message, in header order; fields that do not
// parse are left out.
#pragma once

#include "mime/authentication/dkimsignature.h"

#include <vector>

namespace Orvanta::Mime {

class Header;

class DkimSignatures {
public:
    explicit DkimSignatures(const Header& header);

    const std::vector<DkimSignature>& signatures() const { return _signatures; }

private:
    std::vector<DkimSignature> _signatures;
};

} // namespace Orvanta::Mime
