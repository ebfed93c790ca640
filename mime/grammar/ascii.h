// Character classes of the header grammars: ASCII only and independent of the
// locale, so bytes 0x80-0xFF are never space, control, printable or alphanumeric.
#pragma once

#include <cstddef>

namespace Orvanta::Mime::Ascii {

inline bool isAscii(char c) {
    return static_cast<unsigned char>(c) < 0x80;
}
inline bool isControl(char c) {
    auto u = static_cast<unsigned char>(c);
    return u < 0x20 || u == 0x7f;
}
inline bool isPrint(char c) {
    auto u = static_cast<unsigned char>(c);
    return u >= 0x20 && u < 0x7f;
}
inline bool isSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}
inline bool isDigit(char c) {
    return c >= '0' && c <= '9';
}
inline bool isAlpha(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}
inline bool isAlnum(char c) {
    return isAlpha(c) || isDigit(c);
}
inline char toLower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

// true when the n bytes of a and b are equal ignoring ASCII case
inline bool equalNoCase(const char* a, const char* b, size_t n) {
    for (size_t i = 0; i < n; ++i)
        if (toLower(a[i]) != toLower(b[i])) return false;
    return true;
}

// true when the texts are of one length and equal ignoring ASCII case
inline bool sameNoCase(const char* a, size_t alength, const char* b, size_t blength) {
    return alength == blength && equalNoCase(a, b, alength);
}

// true when the byte occurs in the zero-terminated set (the terminator itself
// counts as a member, so a zero byte is always found)
inline bool inSet(char c, const char* set) {
    for (;; ++set) {
        if (*set == c) return true;
        if (*set == '\0') return false;
    }
}

// a byte of a token (RFC 2045): printable ASCII but blanks and the
// tspecials
inline bool isToken(char c) {
    return isPrint(c) && c != ' ' && !inSet(c, "()<>@,;:\\\"/[]?=");
}

} // namespace Orvanta::Mime::Ascii
