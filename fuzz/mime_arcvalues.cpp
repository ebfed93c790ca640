// Parses arbitrary bytes as the value of an ARC-Seal, ARC-Message-Signature
// or ARC-Authentication-Results field (the first byte picks which), strictly
// and leniently; what parses strictly is written and read again: the same
// instance, and for the two signatures the same text when written again.
// (The results part writes a reason between quotes as it stands, so a
// reason holding a quote or a backslash need not read back the same.)
#include "mime/authentication/arcauthenticationresults.h"
#include "mime/authentication/arcmessagesignature.h"
#include "mime/authentication/arcsealsignature.h"

#include <cstdint>
#include <cstdlib>
#include <exception>
#include <string>

namespace {

std::string same(const Orvanta::Mime::DkimSignature& value) {
    return value.str(true);
}
std::string same(const Orvanta::Mime::ArcAuthenticationResults& value) {
    return value.id();
}

template <typename Value>
void roundTrip(const char* text, size_t size) {
    for (bool strict : {false, true}) {
        std::string written;
        std::string kept;
        int instance = 0;
        try {
            Value value(text, size, strict);
            if (!strict) continue;
            written = value.str(true);
            instance = value.instance();
            kept = same(value);
        } catch (const std::exception&) {
            // refused input: a clear error is all that is asked
            continue;
        }
        Value again(written.data(), written.size(), true);
        if (again.instance() != instance || same(again) != kept) std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    auto text = reinterpret_cast<const char*>(data) + 1;
    switch (data[0] % 3) {
    case 0:
        roundTrip<Orvanta::Mime::ArcSealSignature>(text, size - 1);
        break;
    case 1:
        roundTrip<Orvanta::Mime::ArcMessageSignature>(text, size - 1);
        break;
    default:
        roundTrip<Orvanta::Mime::ArcAuthenticationResults>(text, size - 1);
        break;
    }
    return 0;
}
