#include "mime/message/extraheaders.h"

#include "mime/grammar/ascii.h"

#include <cstring>

namespace Orvanta::Mime {

ExtraHeaders::ExtraHeaders(const std::initializer_list<const char*>& names) {
    for (const char* name : names)
        _names.emplace_back(name, std::strlen(name));
}

ExtraHeaders::ExtraHeaders(const std::vector<const char*>& names) {
    for (const char* name : names)
        _names.emplace_back(name, std::strlen(name));
}

ExtraHeaders::ExtraHeaders(const std::vector<std::string>& names) {
    for (const std::string& name : names)
        _names.emplace_back(name.data(), name.size());
}

bool ExtraHeaders::contains(const String& name) const {
    for (const String& extra : _names)
        if (extra.size() == name.size() && Ascii::equalNoCase(extra.data(), name.data(), name.size()))
            return true;
    return false;
}

} // namespace Orvanta::Mime
