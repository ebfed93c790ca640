#include "mime/dkimsignatures.h"

#include "mime/header.h"

#include <exception>

namespace Orvanta::Mime {

DkimSignatures::DkimSignatures(Header const& header) {
    for (Line const& line : header.lines()) {
        if (!line.key.containsDkimSignature()) continue;
        try {
            _signatures.emplace_back(line.value.data(), line.value.size(), true, false);
        } catch (std::exception const&) {
            // a field that does not parse cannot be checked
        }
    }
}

} // namespace Orvanta::Mime
