// Parses arbitrary bytes as a DKIM-Signature value and as an
// Authentication-Results value, strictly and leniently, writes what parses
// and reads the written form again: a strict parse must come back with the
// same tags, in the same order, with the same values.
#include "mime/authentication/authenticationresults.h"
#include "mime/authentication/dkimsignature.h"

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

using namespace Orvanta::Mime;

namespace {

std::vector<std::string> tags(const DkimSignature& signature) {
    std::vector<std::string> out;
    for (const std::string& name : signature.order())
        out.push_back(name + "=" + signature.get(name));
    for (const std::string& name : signature.headers().names())
        out.push_back("h:" + name);
    for (const std::string& entry : signature.copied())
        out.push_back("z:" + entry);
    out.push_back("auid:" + signature.auid());
    return out;
}

std::vector<std::string> results(const AuthenticationResults& value) {
    std::vector<std::string> out{value.id(), std::to_string(value.version())};
    for (const auto& result : value.results()) {
        out.push_back(result.method() + "/" + std::to_string(result.version()) + "=" + result.result() + " " +
                      result.reason());
        for (const auto& property : result.properties())
            out.push_back(property.ptype() + "." + property.name() + "=" + property.text());
    }
    return out;
}

template <typename Value, typename Parse, typename Compare>
void roundTrip(const char* text, size_t size, Parse parse, Compare compare) {
    for (bool strict : {true, false}) {
        std::unique_ptr<Value> value;
        try {
            value = parse(text, size, strict);
        } catch (const std::runtime_error&) {
            continue;
        }
        std::string written = value->str();
        if (!strict) continue;
        std::unique_ptr<Value> again;
        try {
            again = parse(written.data(), written.size(), true);
        } catch (const std::runtime_error&) {
            std::abort();
        }
        if (compare(*value) != compare(*again)) std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    auto text = reinterpret_cast<const char*>(data);
    roundTrip<DkimSignature>(
        text, size,
        [](const char* t, size_t s, bool strict) {
            return std::make_unique<DkimSignature>(t, s, strict, false);
        },
        tags);
    roundTrip<DkimSignature>(
        text, size,
        [](const char* t, size_t s, bool strict) {
            return std::make_unique<DkimSignature>(t, s, strict, true);
        },
        tags);
    roundTrip<AuthenticationResults>(
        text, size,
        [](const char* t, size_t s, bool strict) {
            return std::make_unique<AuthenticationResults>(t, s, strict);
        },
        results);
    return 0;
}
