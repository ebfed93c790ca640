// The caller's names of further header fields to sign, besides the usual
// ones.
#pragma once

#include "mime/grammar/string.h"

#include <initializer_list>
#include <string>
#include <vector>

namespace Orvanta::Mime {

class ExtraHeaders {
public:
    ExtraHeaders() = default;
    ExtraHeaders(const std::initializer_list<const char*>& names);
    ExtraHeaders(const std::vector<const char*>& names);
    ExtraHeaders(const std::vector<std::string>& names);

    // a name of the list equals this one, ignoring case
    bool contains(const String& name) const;
    const std::vector<String>& names() const { return _names; }

private:
    std::vector<String> _names;
};

} // namespace Orvanta::Mime
