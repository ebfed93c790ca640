// The value of one tag of a DKIM tag list (DKIM-Signature, and the ARC
// headers that share its grammar), read by the grammar of the tag's name
// when parsing strictly and by one lenient grammar otherwise; and the small
// tokens those grammars are made of. Each records the bytes it consumed.
#pragma once

#include <cstddef>
#include <string>

namespace Orvanta::Mime {

class DkimTagValue {
public:
    // Reads one value from the start of the text into `value`. Strict
    // grammars by name: v, l, t, x decimal numbers (stored re-rendered), a
    // algorithm, b and bh base64 (blanks kept), c canonicalization, d domain,
    // i identity (or an instance number), q query methods (decoded), s
    // selector; every other name, and every name when not strict, the
    // generic grammar. Failures are std::runtime_error.
    DkimTagValue(const std::string& name, std::string& value, const char* data, size_t size, bool strict);

    size_t consumed() const { return _consumed; }

private:
    size_t _consumed = 0;
};

// A word of letters, digits and inner hyphens, starting with a letter.
class DkimHypenatedWord {
public:
    DkimHypenatedWord(std::string& word, const char* data, size_t size);
    size_t consumed() const { return _consumed; }

private:
    size_t _consumed = 0;
};

// Base64 text with the blanks (folding) inside it, and up to two '='.
class DkimBase64String {
public:
    DkimBase64String(std::string& text, const char* data, size_t size);
    size_t consumed() const { return _consumed; }

private:
    size_t _consumed = 0;
};

// One query method ("dns/txt"), its option text with quoted characters decoded.
class DkimTagMethod {
public:
    DkimTagMethod(std::string& method, const char* data, size_t size);
    size_t consumed() const { return _consumed; }

private:
    size_t _consumed = 0;
};

// A quoted character: '=' and two hexadecimal digits (blanks may stand before
// each digit), decoded into one byte.
class DkimQuotedCharacter {
public:
    // the text starts at the '='; throws "string too short for quoted chars"
    // and "invalid hex character"
    DkimQuotedCharacter(const char* data, size_t size);
    char byte() const { return _byte; }
    size_t consumed() const { return _consumed; }

private:
    char _byte = 0;
    size_t _consumed = 0;
};

// A run of DKIM quoted-printable text (blanks between its characters), up to
// the first byte that cannot stand in it, such as '|' or ';': its decoded
// bytes are appended to the string.
class DkimQuotedText {
public:
    DkimQuotedText(std::string& text, const char* data, size_t size);
    size_t consumed() const { return _consumed; }

private:
    size_t _consumed = 0;
};

} // namespace Orvanta::Mime
