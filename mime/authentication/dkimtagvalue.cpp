#include "mime/authentication/dkimtagvalue.h"

#include "mime/authentication/authenticationdomainpart.h"
#include "mime/grammar/ascii.h"
#include "mime/grammar/localpart.h"
#include "mime/grammar/require.h"
#include "mime/grammar/scanner.h"

#include <cstring>
#include <stdexcept>

namespace Orvanta::Mime {

namespace {

size_t digits(const char* data, size_t size) {
    return Scanner(data, size).skipWhile(Ascii::isDigit);
}

// A run of digits re-rendered without leading zeros. Numbers are 64-bit
// (times after 2038 must pass); beyond that is an error, not a wrap.
std::string number(const char* data, size_t size) {
    Scanner scanner(data, size);
    // the last digit stays, zero or not
    while (scanner.left() > 1 && scanner.at('0'))
        scanner.advance(1);
    if (scanner.left() > 20) throw std::runtime_error("number out of range");
    unsigned long long value = 0;
    while (!scanner.atEnd()) {
        unsigned digit = static_cast<unsigned>(scanner.next() - '0');
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
    size_t n = Scanner(data, size).skipWhile([](char c) {
        auto u = static_cast<unsigned char>(c);
        return Ascii::isSpace(c) || (u >= 0x21 && u <= 0x7e && c != ';');
    });
    value.assign(data, n);
    return n;
}

// whether the text at the scanner's position starts with `word`
bool startsWith(const Scanner& scanner, const char* word, size_t length) {
    return scanner.left() >= length && std::memcmp(scanner.here(), word, length) == 0;
}

size_t algorithm(std::string& value, const char* data, size_t size) {
    Scanner scanner(data, size);
    if (startsWith(scanner, "rsa", 3)) {
        scanner.advance(3);
    } else {
        if (!scanner.atOne(Ascii::isAlpha)) throw std::runtime_error("invalid algorithm");
        scanner.skipWhile(Ascii::isAlnum);
    }
    Require(scanner.here(), scanner.left(), '-');
    scanner.advance(1);
    if (startsWith(scanner, "sha1", 4)) scanner.advance(4);
    if (startsWith(scanner, "sha256", 6))
        scanner.advance(6);
    else
        scanner.skipWhile(Ascii::isAlnum);
    value.assign(data, scanner.position());
    return scanner.position();
}

size_t canonicalization(std::string& value, const char* data, size_t size) {
    std::string word;
    Scanner scanner(data, size);
    scanner.advance(DkimHypenatedWord(word, data, size).consumed());
    if (scanner.take('/'))
        scanner.advance(DkimHypenatedWord(word, scanner.here(), scanner.left()).consumed());
    value.assign(data, scanner.position());
    return scanner.position();
}

size_t identity(std::string& value, const char* data, size_t size) {
    Scanner scanner(data, size);
    try {
        scanner.advance(LocalPart(data, size).consumed());
    } catch (const std::exception&) {
    }
    if (scanner.take('@')) {
        try {
            scanner.advance(AuthenticationDomainPart(scanner.here(), scanner.left()).consumed());
            value.assign(data, scanner.position());
            return scanner.position();
        } catch (const std::runtime_error&) {
        }
    }
    // an ARC instance number shares the tag name
    size_t n = digits(data, size);
    value.assign(data, n);
    return n;
}

size_t methods(std::string& value, const char* data, size_t size) {
    Scanner scanner(data, size);
    scanner.advance(DkimTagMethod(value, data, size).consumed());
    while (!scanner.atEnd()) {
        Scanner next = scanner;
        next.skipBlanks(false);
        // no ':' ends the list (the usual end: checked without an exception)
        if (!next.take(':')) break;
        try {
            next.skipBlanks(false);
            std::string method;
            next.advance(DkimTagMethod(method, next.here(), next.left()).consumed());
            value += ':';
            value += method;
            scanner = next;
        } catch (const std::runtime_error&) {
            break;
        }
    }
    return scanner.position();
}

size_t selector(std::string& value, const char* data, size_t size) {
    auto part = [](char c) { return Ascii::isAlnum(c) || c == '-'; };
    Scanner scanner(data, size);
    if (!scanner.atOne(part)) throw std::runtime_error("invalid selector");
    size_t n = scanner.skipWhile([&part](char c) { return part(c) || c == '.'; });
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
    Scanner scanner(data, size);
    if (!scanner.atOne(Ascii::isAlpha)) throw std::runtime_error("invalid hypenated word");
    size_t n = scanner.skipWhile([](char c) { return Ascii::isAlnum(c) || c == '-'; });
    // the first byte is a letter
    while (data[n - 1] == '-')
        --n;
    word.assign(data, n);
    _consumed = n;
}

DkimBase64String::DkimBase64String(std::string& text, const char* data, size_t size) {
    auto base64 = [](char c) { return Ascii::isAlnum(c) || c == '+' || c == '/'; };
    Scanner scanner(data, size);
    if (!scanner.atOne(base64)) throw std::runtime_error("invalid base64 string");
    scanner.skipWhile([&base64](char c) { return base64(c) || Ascii::isSpace(c); });
    for (int padding = 0; padding < 2; ++padding) {
        Scanner next = scanner;
        next.skipBlanks(false);
        if (!next.take('=')) break;
        scanner = next;
    }
    text.assign(data, scanner.position());
    _consumed = scanner.position();
}

DkimQuotedCharacter::DkimQuotedCharacter(const char* data, size_t size) {
    Scanner scanner(data, size);
    scanner.advance(1);
    int value = 0;
    for (int i = 0; i < 2; ++i) {
        scanner.skipBlanks(false);
        if (scanner.atEnd()) throw std::runtime_error("string too short for quoted chars");
        char c = scanner.next();
        int digit = Ascii::isDigit(c)        ? c - '0'
                    : (c >= 'a' && c <= 'f') ? c - 'a' + 10
                    : (c >= 'A' && c <= 'F') ? c - 'A' + 10
                                             : -1;
        if (digit < 0) throw std::runtime_error("invalid hex character");
        value = value * 16 + digit;
    }
    _byte = static_cast<char>(value);
    _consumed = scanner.position();
}

DkimQuotedText::DkimQuotedText(std::string& text, const char* data, size_t size) {
    Scanner scanner(data, size);
    for (;;) {
        scanner.skipBlanks(false);
        if (scanner.atEnd() || scanner.at('|')) break;
        auto c = static_cast<unsigned char>(scanner.current());
        if (c == '=') {
            DkimQuotedCharacter quoted(scanner.here(), scanner.left());
            text += quoted.byte();
            scanner.advance(quoted.consumed());
        } else if ((c >= 0x21 && c <= 0x3a) || c == 0x3c || (c >= 0x3e && c <= 0x7e)) {
            text += static_cast<char>(c);
            scanner.advance(1);
        } else {
            break;
        }
    }
    _consumed = scanner.position();
}

DkimTagMethod::DkimTagMethod(std::string& method, const char* data, size_t size) {
    Scanner scanner(data, size);
    scanner.advance(DkimHypenatedWord(method, data, size).consumed());
    if (scanner.take('/')) {
        method += '/';
        scanner.advance(DkimQuotedText(method, scanner.here(), scanner.left()).consumed());
    }
    _consumed = scanner.position();
}

} // namespace Orvanta::Mime
