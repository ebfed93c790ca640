#include "mime/authentication/authenticationresult.h"

#include "filter/result.h"
#include "mime/authentication/authenticationtokens.h"
#include "mime/grammar/ascii.h"
#include "mime/grammar/digit.h"
#include "mime/grammar/empty.h"
#include "mime/grammar/mess.h"
#include "mime/grammar/require.h"
#include "mime/grammar/whitespace.h"

#include <cstring>
#include <stdexcept>

namespace Orvanta::Mime {

namespace {

size_t cfws(const char* data, size_t size) {
    return Whitespace(data, size, true).consumed();
}

// The bytes of "reason", '=' and the blanks and comments around them at
// the start of the text, or 0: "reason" counts only as a whole keyword
// before '=', as "reasoner.x=" and "reason.x=" are properties.
size_t reasonEquals(const char* data, size_t size) {
    if (!keywordAt(data, size, "reason")) return 0;
    size_t at = 6 + cfws(data + 6, size - 6);
    if (at == size || data[at] != '=') return 0;
    ++at;
    return at + cfws(data + at, size - at);
}

} // namespace

AuthenticationResult::AuthenticationResult(const std::string& method, std::string result)
    : _method(methodKeyword(method.substr(0, method.find('/')))), _result(wholeKeyword(std::move(result))) {
    if (_method.size() == method.size()) return;
    // the version, written back after a '/' when it is not 1
    std::string digits = method.substr(_method.size() + 1);
    if (digits.empty() || digits.size() > 9 || digits.find_first_not_of("0123456789") != std::string::npos)
        throw std::runtime_error("invalid method version");
    _version = std::stoi(digits);
}

AuthenticationResult::AuthenticationResult(const char* data, size_t size, bool strict) {
    size_t n = cfws(data, size);
    Require(data + n, size - n, ';');
    ++n;
    n += cfws(data + n, size - n);
    n += AuthenticationKeyword(_method, data + n, size - n).consumed();
    n += cfws(data + n, size - n);
    if (n < size && data[n] == '/') {
        ++n;
        n += cfws(data + n, size - n);
        Digit version(data + n, size - n);
        if (version.consumed() == 0)
            throw std::runtime_error("No method version number provided, while a '/' is present.");
        _version = version.value();
        n += version.consumed();
    }
    n += cfws(data + n, size - n);
    Require(data + n, size - n, '=');
    ++n;
    n += cfws(data + n, size - n);
    n += AuthenticationKeyword(_result, data + n, size - n).consumed();
    n += cfws(data + n, size - n);
    if (size_t skip = reasonEquals(data + n, size - n)) {
        size_t at = n + skip;
        size_t start = at;
        at += AuthenticationValue(_reason, data + at, size - at).consumed();
        size_t after = at + cfws(data + at, size - at);
        if (after < size && (data[after] == '=' || data[after] == '.')) {
            // a property name, not a reason
            _reason.clear();
            n = start;
        } else {
            n = at;
        }
    }
    while (n < size) {
        n += cfws(data + n, size - n);
        if (n >= size) break;
        try {
            AuthenticationProperty property(data + n, size - n);
            n += property.consumed();
            _properties.push_back(std::move(property));
        } catch (const std::runtime_error&) {
            if (data[n] == ';') break;
            size_t word = Mess(data + n, size - n, " ").consumed();
            if (strict && word != 0) throw std::runtime_error("malformed authentication result");
            // a word that holds the end of the result is not skipped; looked
            // for within the word, so that skipping many costs their length
            if (word == 0 || Mess(data + n, word, ";").consumed() < word) break;
            n += word;
        }
    }
    _consumed = n;
}

const std::string& AuthenticationResult::operator[](const char* name) const {
    size_t length = std::strlen(name);
    for (const AuthenticationProperty& property : _properties) {
        std::string full = property.ptype() + "." + property.name();
        if (full.size() == length && Ascii::equalNoCase(full.data(), name, length)) return property.text();
    }
    return empty_string();
}

size_t AuthenticationResult::encode(const Capabilities& caps, Filter::Result* out, bool persistent) const {
    size_t total = out->append("; ", 2, true);
    total += out->append(_method.data(), _method.size(), persistent);
    if (_version != 1) total += out->append("/" + std::to_string(_version));
    total += out->append("=", 1, true);
    total += out->append(_result.data(), _result.size(), persistent);
    if (!_reason.empty()) {
        total += out->append(" reason=", 8, true);
        total += writeValue(_reason, out);
    }
    for (const AuthenticationProperty& property : _properties) {
        total += out->append(" ", 1, true);
        total += property.encode(caps, out, persistent);
    }
    return total;
}

} // namespace Orvanta::Mime
