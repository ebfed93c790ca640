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

// Writes the text between double quotes, a backslash before every backslash
// and double quote inside; returns the bytes written.
size_t writeQuoted(const std::string& text, Filter::Result* out);
// the same text as a string
std::string quoted(const std::string& text);

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

// "; none" after the authserv-id (blanks and comments around it skipped);
// matches nothing when it is not there.
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
