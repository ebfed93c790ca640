#include "mime/authentication/authenticationtokens.h"

#include "filter/string.h"
#include "mime/grammar/ascii.h"
#include "mime/grammar/formatting.h"
#include "mime/grammar/quotedstring.h"
#include "mime/grammar/scanner.h"

#include <cstring>
#include <stdexcept>

namespace Orvanta::Mime {

bool unquotable(const std::string& text) {
    // readers end a value at a NUL, or refuse it
    return text.find_first_of(std::string("\r\n\t\0", 4)) != std::string::npos;
}

size_t writeQuoted(const std::string& text, Filter::Result* out) {
    if (unquotable(text)) throw std::runtime_error("value holds a CR, LF, TAB or NUL");
    size_t total = out->append("\"", 1, true);
    size_t start = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        // the '?' of "=?" too: readers that take the field for plain text
        // decode what looks like an encoded word, quotes or not
        bool opens = c == '?' && i > 0 && text[i - 1] == '=';
        if (c != '\\' && c != '"' && !Ascii::isControl(c) && !opens) continue;
        total += out->append(text.data() + start, i - start, false);
        total += out->append("\\", 1, true);
        start = i;
    }
    total += out->append(text.data() + start, text.size() - start, false);
    return total + out->append("\"", 1, true);
}

size_t writeValue(const std::string& text, Filter::Result* out) {
    Formatting format(text.data(), text.size());
    // the parameter class lets ',' through, a token does not
    bool token = !text.empty() && format.ascii() && format.param() && text.find(',') == std::string::npos;
    return token ? out->append(text.data(), text.size(), false) : writeQuoted(text, out);
}

std::string quoted(const std::string& text) {
    std::string out;
    Filter::String sink(&out);
    writeQuoted(text, &sink);
    return out;
}

std::string wholeKeyword(std::string text) {
    std::string word;
    try {
        if (AuthenticationKeyword(word, text.data(), text.size()).consumed() == text.size()) return text;
    } catch (const std::runtime_error&) {
        // an empty text, or one that ends in '-'
    }
    throw std::runtime_error("invalid keyword");
}

std::string methodKeyword(std::string text) {
    std::string method = wholeKeyword(std::move(text));
    if (method.size() == 4 && Ascii::equalNoCase(method.data(), "none", 4))
        throw std::runtime_error("method may not be none");
    return method;
}

bool keywordAt(const char* data, size_t size, const char* word) {
    size_t length = std::strlen(word);
    if (size < length || std::strncmp(data, word, length) != 0) return false;
    return size == length || !(Ascii::isAlnum(data[length]) || data[length] == '-');
}

AuthenticationKeyword::AuthenticationKeyword(std::string& word, const char* data, size_t size) {
    size_t n = Scanner(data, size).skipWhile([](char c) { return Ascii::isAlnum(c) || c == '-'; });
    if (n == 0) throw std::runtime_error("Keyword may not be empty");
    if (data[n - 1] == '-') throw std::runtime_error("Keyword may not end in '-'");
    word.assign(data, n);
    _consumed = n;
}

AuthenticationValue::AuthenticationValue(std::string& value, const char* data, size_t size, bool property) {
    Scanner scanner(data, size);
    if (scanner.at('"')) {
        QuotedString quoted(data, size);
        // refused here rather than when written back
        if (unquotable(quoted.text())) throw std::runtime_error("Quoted value holds a CR, LF, TAB or NUL");
        value = quoted.text();
        _consumed = quoted.consumed();
        return;
    }
    const char* stops = property ? "()<>[]:;@\\\"? " : "()<>[]:;@\\\"/?= ";
    size_t n = scanner.skipWhile(
        [stops](char c) { return !Ascii::isControl(c) && std::strchr(stops, c) == nullptr; });
    if (n == 0) throw std::runtime_error("Value requires at least one valid character");
    value.assign(data, n);
    _consumed = n;
}

AuthenticationNoResult::AuthenticationNoResult(const char* data, size_t size) {
    Scanner scanner(data, size);
    scanner.skipBlanks(true);
    if (!scanner.take(';')) return;
    scanner.skipBlanks(true);
    if (!keywordAt(scanner.here(), scanner.left(), "none")) return;
    _found = true;
    _consumed = scanner.position() + 4;
}

} // namespace Orvanta::Mime
