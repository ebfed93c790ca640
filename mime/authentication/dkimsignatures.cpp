#include "mime/authentication/dkimsignatures.h"

#include "mime/message/header.h"

#include <exception>

namespace Orvanta::Mime {

DkimSignatures::DkimSignatures(const Header& header) {
    const auto& lines = header.lines();
    for (size_t i = 0; i < lines.size(); ++i) {
        const Line& line = lines[i];
        if (!line.key.containsDkimSignature()) continue;
        try {
            _signatures.emplace_back(line.value.data(), line.value.size(), true, false);
            _signatures.back().from(i);
        } catch (const std::exception&) {
            // a field that does not parse cannot be checked
        }
    }
}

} // namespace Orvanta::Mime
