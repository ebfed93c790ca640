// The parameter list after a Content-Type or Content-Disposition value
// ("; name=value" ...), with RFC 2231 sections, charsets and continuations.
#pragma once

#include "mime/grammar/encodable.h"

#include <memory>
#include <string>
#include <vector>

namespace Orvanta::Mime {

class Param;

class Params : public Encodable {
public:
    Params() = default;
    // never throws for a bad parameter: it is dropped; strict only refuses
    // more values
    Params(const char* data, size_t size, bool strict);

    using Encodable::encode;
    size_t encode(const Capabilities& caps, Filter::Result* out, bool persistent) const override;
    size_t encode(const Capabilities& caps, Filter::LineLength* out, bool persistent) const override;
    size_t encode(const Capabilities& caps, Filter::WordWrap* out, bool persistent) const override;

    // the first parameter of that name, ignoring ASCII case; null when absent
    std::shared_ptr<Param> parameter(const char* name) const;
    // its value, or the shared empty string
    const std::string& get(const char* name) const;
    // replaces the value or appends the parameter; false (and no change) for
    // an invalid name (one holding '*', '\'' or '%' too), a null value or a
    // value holding a NUL
    bool set(const char* name, const char* value);
    bool set(const char* name, const std::string& value);

    const std::vector<std::shared_ptr<Param>>& all() const { return _params; }
    // every parameter of the text was read: none was dropped as bad
    bool whole() const { return _whole; }

private:
    std::vector<std::shared_ptr<Param>> _params;
    bool _whole = true;
};

} // namespace Orvanta::Mime
