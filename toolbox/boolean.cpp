#include "toolbox/boolean.h"

#include <cstring>
#include <string>
#include <strings.h>

namespace Orvanta::Toolbox {

namespace {

bool digit(char c) {
    return c >= '0' && c <= '9';
}

// The leading decimal number of the text is not 0. Only the digits are
// looked at, so a number too large for any integer type is still not 0.
bool nonZeroNumber(const char* text) {
    if (*text == '-') ++text;
    for (; digit(*text); ++text)
        if (*text != '0') return true;
    return false;
}

bool word(const char* text) {
    return ::strcasecmp(text, "true") == 0 || ::strcasecmp(text, "yes") == 0 || ::strcasecmp(text, "on") == 0;
}

bool falseWord(std::string_view text) {
    for (const char* word : {"false", "no", "off"})
        if (text.size() == std::strlen(word) && ::strncasecmp(text.data(), word, text.size()) == 0)
            return true;
    return false;
}

bool integer(std::string_view text) {
    if (!text.empty() && text[0] == '-') text.remove_prefix(1);
    if (text.empty()) return false;
    for (char c : text)
        if (!digit(c)) return false;
    return true;
}

} // namespace

std::optional<bool> Boolean::parse(std::string_view text) {
    // the text may hold a NUL; then it is no word and no number either
    if (text.find('\0') != std::string_view::npos) return std::nullopt;
    const std::string copy(text);
    if (text.empty() || integer(text)) return static_cast<bool>(Boolean(copy.c_str()));
    if (word(copy.c_str())) return true;
    if (falseWord(text)) return false;
    return std::nullopt;
}

Boolean::Boolean(const char* text) {
    if (text == nullptr || *text == '\0')
        _value = false;
    else if (digit(*text) || *text == '-')
        _value = nonZeroNumber(text);
    else
        _value = word(text);
}

} // namespace Orvanta::Toolbox
