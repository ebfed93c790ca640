// The small tokens of an Authentication-Results value: a keyword (method,
// result, property type and name), a value (authserv-id, reason, property
// value) and the "; none" that stands for no results.
#pragma once

#include <cstddef>
#include <string>

namespace Orvanta::Filter {
class Result;
}

namespace Orvanta::Mime {

// Writes the text between double quotes, a backslash before every backslash,
// double quote and control character inside (a raw one would read back as
// a space, or not at all) and before the '?' of "=?" (which readers of
// plain text decode as an encoded word), so that it reads back the same;
// returns the bytes written. A CR, LF or TAB cannot be written so (a line
// end has no place in a value, and folding would take the TAB's place), nor
// a NUL, at which readers end the value or refuse it: std::runtime_error
// "value holds a CR, LF, TAB or NUL".
size_t writeQuoted(const std::string& text, Filter::Result* out);
// whether writeQuoted refuses the text
bool unquotable(const std::string& text);
// the same text as a string
std::string quoted(const std::string& text);
// Writes a value (authserv-id, reason, property value) bare when it is an
// RFC 2045 token, else quoted: a tspecial such as ',', a blank or a byte
// over 0x7F would end the bare value early, or make it unreadable.
size_t writeValue(const std::string& text, Filter::Result* out);

// The text when the whole of it is one keyword: a caller's method, result
// word, ptype or property name that is not would end early when written, or
// add words of its own (a ';' a result, a '.' or '=' a property). Throws
// std::runtime_error "invalid keyword" for any other text.
std::string wholeKeyword(std::string text);
// A caller's method: a whole keyword but "none" in any case, which readers
// take for the value that has no results. Throws std::runtime_error
// "invalid keyword" or "method may not be none".
std::string methodKeyword(std::string text);

// Whether the text begins with the word as a whole keyword: in "none-spf"
// or "reasoner" the word is only the start of another keyword.
bool keywordAt(const char* data, size_t size, const char* word);

// Letters, digits and '-', not ending in '-'.
class AuthenticationKeyword {
public:
    AuthenticationKeyword(std::string& word, const char* data, size_t size);
    size_t consumed() const { return _consumed; }

private:
    size_t _consumed = 0;
};

// A quoted string (its text), or a run of bytes up to a blank, a control
// byte or a special. `property` lets '/' and '=' into the run: verifiers
// write base64 (header.b=) without quotes.
class AuthenticationValue {
public:
    AuthenticationValue(std::string& value, const char* data, size_t size, bool property = false);
    size_t consumed() const { return _consumed; }

private:
    size_t _consumed = 0;
};

// "; none" after the authserv-id (blanks and comments around it skipped),
// "none" a whole keyword; matches nothing when it is not there.
class AuthenticationNoResult {
public:
    AuthenticationNoResult(const char* data, size_t size);
    bool found() const { return _found; }
    size_t consumed() const { return _consumed; }

private:
    bool _found = false;
    size_t _consumed = 0;
};

} // namespace Orvanta::Mime
