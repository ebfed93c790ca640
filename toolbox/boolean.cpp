#include "toolbox/boolean.h"

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

} // namespace

Boolean::Boolean(const char* text) {
    if (text == nullptr || *text == '\0')
        _value = false;
    else if (digit(*text) || *text == '-')
        _value = nonZeroNumber(text);
    else
        _value = word(text);
}

} // namespace Orvanta::Toolbox
