#include "mime/dkimtagvalue.h"

#include "mime/ascii.h"
#include "mime/authenticationdomainpart.h"
#include "mime/localpart.h"
#include "mime/require.h"
#include "mime/whitespace.h"

#include <cstring>
#include <stdexcept>

namespace Orvanta::Mime {

namespace {

size_t blanks(const char* data, size_t size) {
    return Whitespace(data, size, false).consumed();
}

size_t digits(const char* data, size_t size) {
    size_t n = 0;
    while (n < size && Ascii::isDigit(data[n]))
        ++n;
    return n;
}

// A run of digits re-rendered without leading zeros. Numbers are 64-bit
// (times after 2038 must pass); beyond that is an error, not a wrap.
std::string number(const char* data, size_t size) {
    size_t start = 0;
    while (start + 1 < size && data[start] == '0')
        ++start;
    if (size - start > 20) throw std::runtime_error("number out of range");
    unsigned long long value = 0;
    for (size_t i = start; i < size; ++i) {
        unsigned digit = static_cast<unsigned>(data[i] - '0');
        if (value > (~0ULL - digit) / 10) throw std::runtime_error("number out of range");
        value = value * 10 + digit;
    }
    return std::to_string(value);
}

// v, l, t, x: a run of digits of at most `limit` digits
size_t numeric(std::string& value, const char* data, size_t size, size_t limit, const char* tooLong) {
    size_t n = digits(data, size);
    value = n == 0 ? std::string("0") : number(data, n);
    if (n > limit) throw std::runtime_error(tooLong);
    return n;
}

// every visible byte but ';', and blanks between and after them
size_t generic(std::string& value, const char* data, size_t size) {
    size_t n = 0;
    while (n < size) {
        auto c = static_cast<unsigned char>(data[n]);
        if (Ascii::isSpace(data[n]) || (c >= 0x21 && c <= 0x7e && c != ';'))
            ++n;
        else
            break;
    }
    value.assign(data, n);
    return n;
}

size_t algorithm(std::string& value, const char* data, size_t size) {
    size_t n = 0;
    if (size >= 3 && data[0] == 'r' && data[1] == 's' && data[2] == 'a') {
        n = 3;
    } else {
        if (size == 0 || !Ascii::isAlpha(data[0])) throw std::runtime_error("invalid algorithm");
        while (n < size && Ascii::isAlnum(data[n]))
            ++n;
    }
    Require(data + n, size - n, '-');
    ++n;
    if (size - n >= 4 && std::string(data + n, 4) == "sha1") n += 4;
    if (size - n >= 6 && std::string(data + n, 6) == "sha256")
        n += 6;
    else
        while (n < size && Ascii::isAlnum(data[n]))
            ++n;
    value.assign(data, n);
    return n;
}

size_t canonicalization(std::string& value, const char* data, size_t size) {
    std::string word;
    size_t n = DkimHypenatedWord(word, data, size).consumed();
    if (n < size && data[n] == '/') {
        ++n;
        n += DkimHypenatedWord(word, data + n, size - n).consumed();
    }
    value.assign(data, n);
    return n;
}

size_t identity(std::string& value, const char* data, size_t size) {
    size_t local = 0;
    try {
        local = LocalPart(data, size).consumed();
    } catch (const std::exception&) {
        local = 0;
    }
    try {
        Require(data + local, size - local, '@');
        size_t n = local + 1 + AuthenticationDomainPart(data + local + 1, size - local - 1).consumed();
        value.assign(data, n);
        return n;
    } catch (const std::runtime_error&) {
        // an ARC instance number shares the tag name
        size_t n = digits(data, size);
        value.assign(data, n);
        return n;
    }
}

size_t methods(std::string& value, const char* data, size_t size) {
    size_t n = DkimTagMethod(value, data, size).consumed();
    while (n < size) {
        size_t at = n + blanks(data + n, size - n);
        // no ':' ends the list (the usual end: checked without an exception)
        if (at >= size || data[at] != ':') break;
        try {
            ++at;
            at += blanks(data + at, size - at);
            std::string method;
            at += DkimTagMethod(method, data + at, size - at).consumed();
            value += ':';
            value += method;
            n = at;
        } catch (const std::runtime_error&) {
            break;
        }
    }
    return n;
}

size_t selector(std::string& value, const char* data, size_t size) {
    auto part = [](char c) { return Ascii::isAlnum(c) || c == '-'; };
    if (size == 0 || !part(data[0])) throw std::runtime_error("invalid selector");
    size_t n = 1;
    while (n < size && (part(data[n]) || data[n] == '.'))
        ++n;
    if (data[n - 1] == '.') throw std::runtime_error("invalid selector");
    value.assign(data, n);
    return n;
}

} // namespace

DkimTagValue::DkimTagValue(const std::string& name, std::string& value, const char* data, size_t size,
                           bool strict) {
    // by name: one letter, or "bh" (a switch: this runs for every tag)
    char tag = !strict ? '\0' : name.size() == 1 ? name[0] : name == "bh" ? 'b' : '\0';
    switch (tag) {
    case 'v':
        _consumed = digits(data, size);
        if (_consumed == 0) throw std::runtime_error("version can not be empty");
        value = number(data, _consumed);
        break;
    case 'a':
        _consumed = algorithm(value, data, size);
        break;
    case 'b':
        _consumed = DkimBase64String(value, data, size).consumed();
        break;
    case 'c':
        _consumed = canonicalization(value, data, size);
        break;
    case 'd': {
        AuthenticationDomainPart domain(data, size);
        value = domain.text();
        _consumed = domain.consumed();
        break;
    }
    case 'i':
        _consumed = identity(value, data, size);
        break;
    case 'l':
        _consumed = numeric(value, data, size, 76, "length count is too long");
        break;
    case 'q':
        _consumed = methods(value, data, size);
        break;
    case 's':
        _consumed = selector(value, data, size);
        break;
    case 't':
        _consumed = numeric(value, data, size, 12, "timestamp is too long");
        break;
    case 'x':
        _consumed = numeric(value, data, size, 12, "expiration is too long");
        break;
    default:
        _consumed = generic(value, data, size);
        break;
    }
}

DkimHypenatedWord::DkimHypenatedWord(std::string& word, const char* data, size_t size) {
    if (size == 0 || !Ascii::isAlpha(data[0])) throw std::runtime_error("invalid hypenated word");
    size_t n = 1;
    while (n < size && (Ascii::isAlnum(data[n]) || data[n] == '-'))
        ++n;
    while (data[n - 1] == '-')
        --n;
    word.assign(data, n);
    _consumed = n;
}

DkimBase64String::DkimBase64String(std::string& text, const char* data, size_t size) {
    auto base64 = [](char c) { return Ascii::isAlnum(c) || c == '+' || c == '/'; };
    if (size == 0 || !base64(data[0])) throw std::runtime_error("invalid base64 string");
    size_t n = 1;
    while (n < size && (base64(data[n]) || Ascii::isSpace(data[n])))
        ++n;
    for (int padding = 0; padding < 2; ++padding) {
        size_t at = n + blanks(data + n, size - n);
        if (at < size && data[at] == '=')
            n = at + 1;
        else
            break;
    }
    text.assign(data, n);
    _consumed = n;
}

DkimQuotedCharacter::DkimQuotedCharacter(const char* data, size_t size) {
    size_t n = 1;
    int value = 0;
    for (int i = 0; i < 2; ++i) {
        n += blanks(data + n, size - n);
        if (n >= size) throw std::runtime_error("string too short for quoted chars");
        char c = data[n++];
        int digit = Ascii::isDigit(c)        ? c - '0'
                    : (c >= 'a' && c <= 'f') ? c - 'a' + 10
                    : (c >= 'A' && c <= 'F') ? c - 'A' + 10
                                             : -1;
        if (digit < 0) throw std::runtime_error("invalid hex character");
        value = value * 16 + digit;
    }
    _byte = static_cast<char>(value);
    _consumed = n;
}

DkimQuotedText::DkimQuotedText(std::string& text, const char* data, size_t size) {
    size_t n = 0;
    for (;;) {
        n += blanks(data + n, size - n);
        if (n >= size || data[n] == '|') break;
        auto c = static_cast<unsigned char>(data[n]);
        if (c == '=') {
            DkimQuotedCharacter quoted(data + n, size - n);
            text += quoted.byte();
            n += quoted.consumed();
        } else if ((c >= 0x21 && c <= 0x3a) || c == 0x3c || (c >= 0x3e && c <= 0x7e)) {
            text += static_cast<char>(c);
            ++n;
        } else {
            break;
        }
    }
    _consumed = n;
}

DkimTagMethod::DkimTagMethod(std::string& method, const char* data, size_t size) {
    size_t n = DkimHypenatedWord(method, data, size).consumed();
    if (n < size && data[n] == '/') {
        method += '/';
        ++n;
        n += DkimQuotedText(method, data + n, size - n).consumed();
    }
    _consumed = n;
}

} // namespace Orvanta::Mime
