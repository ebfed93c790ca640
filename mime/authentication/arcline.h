// Helpers the two ARC signature values share: the instance of i= and the
// line of a header that carries a given signature.
#pragma once

#include "mime/authentication/dkimsignature.h"
#include "mime/message/header.h"
#include "mime/message/line.h"

#include <stdexcept>
#include <string>

namespace Orvanta::Mime::Arc {

// the number of i=; throws like std::stoi, std::out_of_range without i=
inline int instance(const DkimSignature& signature) {
    if (!signature.has("i")) throw std::out_of_range("map::at");
    return std::stoi(signature.get("i"));
}

// The first line named `name` whose value parses strictly as a `Signature`
// for which `same` holds; lines that do not parse are passed over.
template <typename Signature, typename Same>
const Line* line(const Header& header, const char* name, const Same& same) {
    for (const Line& candidate : header.lines()) {
        if (!(candidate.key == name)) continue;
        try {
            Signature parsed(candidate.value.data(), candidate.value.size(), true);
            if (same(parsed)) return &candidate;
        } catch (const std::exception&) {
            // a field that does not parse cannot be this signature
        }
    }
    return nullptr;
}

} // namespace Orvanta::Mime::Arc
