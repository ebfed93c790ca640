#include "mime/authentication/canonicalization.h"

#include <cstring>
#include <stdexcept>
#include <strings.h>

namespace Orvanta::Mime {

namespace {

// true for "simple", false for "relaxed"
bool simple(const std::string& word) {
    if (strcasecmp(word.c_str(), "simple") == 0) return true;
    if (strcasecmp(word.c_str(), "relaxed") == 0) return false;
    throw std::runtime_error("unsupported canonicalization algorithm");
}

} // namespace

Canonicalization::Canonicalization(const char* text) {
    if (text == nullptr || *text == '\0') return;
    const char* slash = std::strchr(text, '/');
    if (slash == nullptr) {
        _header = simple(text);
        return;
    }
    _header = simple(std::string(text, slash));
    _body = simple(slash + 1);
}

std::string Canonicalization::text() const {
    std::string result = _header ? "simple/" : "relaxed/";
    return result + (_body ? "simple" : "relaxed");
}

} // namespace Orvanta::Mime
