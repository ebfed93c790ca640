#include "mime/extraheaders.h"

#include "mime/ascii.h"

#include <cstring>

namespace Orvanta::Mime {

ExtraHeaders::ExtraHeaders(std::initializer_list<char const*> const& names) {
    for (char const* name : names)
        _names.emplace_back(name, std::strlen(name));
}

ExtraHeaders::ExtraHeaders(std::vector<char const*> const& names) {
    for (char const* name : names)
        _names.emplace_back(name, std::strlen(name));
}

ExtraHeaders::ExtraHeaders(std::vector<std::string> const& names) {
    for (std::string const& name : names)
        _names.emplace_back(name.data(), name.size());
}

bool ExtraHeaders::contains(String const& name) const {
    for (String const& extra : _names)
        if (extra.size() == name.size() && Ascii::equalNoCase(extra.data(), name.data(), name.size()))
            return true;
    return false;
}

} // namespace Orvanta::Mime
