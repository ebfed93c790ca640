// What an SPF check found, for an Authentication-Results entry: the result
// word, the HELO name, the envelope sender and the reason.
#pragma once

#include <string>

namespace Orvanta::Dns {

struct SpfStatus {
    const char* result; // one of the Orvanta::Mime::Status words
    std::string helo;
    std::string mailfrom;
    std::string reason;
};

} // namespace Orvanta::Dns
