// The caller's names of further header fields to sign, besides the usual
// ones.
#pragma once

#include "mime/string.h"

#include <initializer_list>
#include <string>
#include <vector>

namespace Orvanta::Mime {

class ExtraHeaders {
public:
    ExtraHeaders() = default;
    ExtraHeaders(std::initializer_list<char const*> const& names);
    ExtraHeaders(std::vector<char const*> const& names);
    ExtraHeaders(std::vector<std::string> const& names);

    // a name of the list equals this one, ignoring case
    bool contains(String const& name) const;

private:
    std::vector<String> _names;
};

} // namespace Orvanta::Mime
