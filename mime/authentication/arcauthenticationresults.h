// The value of an ARC-Authentication-Results header field: "i=", the
// instance of its ARC set, ";" and an Authentication-Results value. The
// prefix is also read on its own where only the instance matters.
#pragma once

#include "mime/authentication/authenticationresults.h"

#include <cstddef>

namespace Orvanta::Mime {

class ArcAuthenticationInstance {
public:
    explicit ArcAuthenticationInstance(int instance = 0) : _instance(instance) {}
    // Reads "i" "=" number ";" with blanks and comments around the parts.
    // Throws "Arc-Authentication-Results header does not start with i", the
    // keyword's and "missing " errors, and std::stoi's for the number.
    ArcAuthenticationInstance(const char* data, size_t size);

    // the bytes of the prefix, its ';' included
    size_t consumed() const { return _consumed; }
    int instance() const { return _instance; }

private:
    size_t _consumed = 0;
    int _instance = 0;
};

class ArcAuthenticationResults : public ArcAuthenticationInstance, public AuthenticationResults {
public:
    // the prefix, then the results over the rest of the text
    ArcAuthenticationResults(const char* data, size_t size, bool strict);
    // a new set's results
    ArcAuthenticationResults(int instance, AuthenticationResults results)
        : ArcAuthenticationInstance(instance), AuthenticationResults(std::move(results)) {}

    // no comment stood around the instance either
    bool whole() const override { return _whole && AuthenticationResults::whole(); }

    using AuthenticationResults::encode;
    // "i=", the instance, ";" and the results, with no blank between; the
    // folding forms of the results come here too
    size_t encode(const Capabilities& caps, Filter::Result* out, bool persistent) const override;

private:
    bool _whole = true;
};

} // namespace Orvanta::Mime
