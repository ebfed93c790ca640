// One method result of an Authentication-Results value: the method (with
// its version), the result word, an optional reason and the properties.
#pragma once

#include "mime/authentication/authenticationproperty.h"
#include "mime/grammar/encodable.h"

#include <cstddef>
#include <string>
#include <vector>

namespace Orvanta::Mime {

class AuthenticationResult : public Encodable {
public:
    // parses "; method[/version]=result [reason=...] properties" at the start
    // of the text; strict refuses a property that does not parse
    AuthenticationResult(const char* data, size_t size, bool strict);
    // A result made from a method (a keyword but "none", which may carry its
    // version: "auth/2") and a result word (a keyword). Throws
    // std::runtime_error "invalid keyword", "method may not be none" or
    // "invalid method version" for any other text.
    AuthenticationResult(const std::string& method, std::string result);

    const std::string& method() const { return _method; }
    int version() const { return _version; }
    const std::string& result() const { return _result; }
    const std::string& reason() const { return _reason; }
    const std::vector<AuthenticationProperty>& properties() const { return _properties; }
    size_t consumed() const { return _consumed; }

    void reason(std::string text) { _reason = std::move(text); }
    void add(AuthenticationProperty property) { _properties.push_back(std::move(property)); }

    // the value of the first property named "ptype.name" (case ignored), or
    // the shared empty string
    const std::string& operator[](const char* name) const;

    using Encodable::encode;
    size_t encode(const Capabilities& caps, Filter::Result* out, bool persistent) const override;

private:
    size_t _consumed = 0;
    std::string _method;
    int _version = 1;
    std::string _result;
    std::string _reason;
    std::vector<AuthenticationProperty> _properties;
};

} // namespace Orvanta::Mime
