#include "mime/authenticationtokens.h"

#include "filter/escape.h"
#include "filter/string.h"
#include "mime/ascii.h"
#include "mime/quotedstring.h"
#include "mime/whitespace.h"

#include <cstring>
#include <stdexcept>

namespace Orvanta::Mime {

size_t writeQuoted(const std::string& text, Filter::Result* out) {
    size_t total = out->append("\"", 1, true);
    {
        Filter::Escape escape(out, "\\\"", '\\');
        total += escape.append(text.data(), text.size(), false);
    }
    return total + out->append("\"", 1, true);
}

std::string quoted(const std::string& text) {
    std::string out;
    Filter::String sink(&out);
    writeQuoted(text, &sink);
    return out;
}

AuthenticationKeyword::AuthenticationKeyword(std::string& word, const char* data, size_t size) {
    size_t n = 0;
    while (n < size && (Ascii::isAlnum(data[n]) || data[n] == '-'))
        ++n;
    if (n == 0) throw std::runtime_error("Keyword may not be empty");
    if (data[n - 1] == '-') throw std::runtime_error("Keyword may not end in '-'");
    word.assign(data, n);
    _consumed = n;
}

AuthenticationValue::AuthenticationValue(std::string& value, const char* data, size_t size, bool property) {
    if (size > 0 && data[0] == '"') {
        QuotedString quoted(data, size);
        value = quoted.text();
        _consumed = quoted.consumed();
        return;
    }
    const char* stops = property ? "()<>[]:;@\\\"? " : "()<>[]:;@\\\"/?= ";
    size_t n = 0;
    while (n < size && !Ascii::isControl(data[n]) && std::strchr(stops, data[n]) == nullptr)
        ++n;
    if (n == 0) throw std::runtime_error("Value requires at least one valid character");
    value.assign(data, n);
    _consumed = n;
}

AuthenticationNoResult::AuthenticationNoResult(const char* data, size_t size) {
    size_t n = Whitespace(data, size, true).consumed();
    if (n >= size || data[n] != ';') return;
    ++n;
    n += Whitespace(data + n, size - n, true).consumed();
    if (size - n < 4 || std::strncmp(data + n, "none", 4) != 0) return;
    _found = true;
    _consumed = n + 4;
}

} // namespace Orvanta::Mime
