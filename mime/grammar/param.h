// One MIME parameter, name "=" value, written back bare, quoted, or in the
// RFC 2231 extended form, split into sections when it is long.
#pragma once

#include "mime/grammar/encodable.h"
#include "mime/grammar/paramkey.h"
#include "mime/grammar/paramvalue.h"
#include "mime/grammar/require.h"

#include <string>
#include <vector>

namespace Orvanta::Mime {

class Param : public Encodable {
public:
    Param(const char* data, size_t size, bool strict);
    // a name and value given by the program: the name must be a whole key
    Param(const char* name, const char* value, size_t size);
    Param(const char* name, std::string value);
    // a parameter joined from RFC 2231 sections; `kept`: their texts as
    // they stood, for a value whose bytes did not all convert or whose
    // sections make no whole; `covered`: another parameter of the name
    // writes its sections so
    Param(ParamKey key, std::string value, std::vector<std::string> kept = {}, bool covered = false);

    using Encodable::encode;
    size_t encode(const Capabilities& caps, Filter::Result* out, bool persistent) const override;
    size_t encode(const Capabilities& caps, Filter::LineLength* out, bool persistent) const override;
    size_t encode(const Capabilities& caps, Filter::WordWrap* out, bool persistent) const override;

    const ParamKey& key() const { return _key; }
    const std::string& name() const { return _key.name(); }
    const std::string& value() const { return _value.value(); }
    size_t consumed() const { return _key.consumed() + _before + 1 + _after + _value.consumed(); }
    // The parameter as it stood (name, "=", value; blanks and comments
    // aside), for each of its sections: kept for a section, and for a value
    // in which U+FFFD stands for bytes that did not convert. Such a value is
    // written back as these texts, so that every reader still finds the
    // bytes that stood there.
    const std::vector<std::string>& kept() const { return _kept; }
    // Written by an earlier parameter of its name, as its sections stood:
    // a list does not write it again.
    bool covered() const { return _covered; }

private:
    size_t write(Filter::Result* out, size_t limit, bool folded, bool persistent) const;

    ParamKey _key;
    // blanks and comments before and after the "=" (RFC 2045 allows them
    // between a parameter's tokens)
    size_t _before = 0;
    Require _equals;
    size_t _after = 0;
    ParamValue _value;
    std::vector<std::string> _kept;
    bool _covered = false;
};

} // namespace Orvanta::Mime
