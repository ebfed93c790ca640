// What a DMARC check found, for an Authentication-Results entry: the result
// word, the domain of the From field and, when there is one, the reason.
#pragma once

#include <string>

namespace Orvanta::Mime {

struct DmarcStatus {
    const char* result; // one of the Status words
    std::string from;
    std::string reason; // empty when there is none
};

} // namespace Orvanta::Mime
