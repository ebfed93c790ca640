#include "mime/authentication/dkimsignatures.h"

#include "mime/message/header.h"

#include <exception>

namespace Orvanta::Mime {

DkimSignatures::DkimSignatures(const Header& header) {
    for (const Line& line : header.lines()) {
        if (!line.key.containsDkimSignature()) continue;
        try {
            _signatures.emplace_back(line.value.data(), line.value.size(), true, false);
        } catch (const std::exception&) {
            // a field that does not parse cannot be checked
        }
    }
}

} // namespace Orvanta::Mime
