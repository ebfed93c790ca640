#include "mime/message/extraheaders.h"

#include "mime/grammar/ascii.h"

#include <cstring>

namespace Orvanta::Mime {

namespace {

// a null name is kept as an empty one, which the signer refuses
String nameOf(const char* name) {
    return name == nullptr ? String("", 0) : String(name, std::strlen(name));
}

} // namespace

ExtraHeaders::ExtraHeaders(const std::initializer_list<const char*>& names) {
    for (const char* name : names)
        _names.push_back(nameOf(name));
}

ExtraHeaders::ExtraHeaders(const std::vector<const char*>& names) {
    for (const char* name : names)
        _names.push_back(nameOf(name));
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
