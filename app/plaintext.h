// Text from the command line that ends up in a header or on the operator's
// terminal: it must be UTF-8 without control characters, and when it is
// not, it is shown with those bytes escaped, never written raw.
#pragma once

#include <string>
#include <string_view>

class PlainText {
public:
    // Well-formed UTF-8 (no overlong forms, surrogates or bytes that start
    // nothing) without a C0 control, DEL or a C1 control (U+0080..U+009F).
    static bool clean(std::string_view text);

    // The text with every control character and every byte outside
    // well-formed UTF-8 escaped: "\r", "\n", "\t", else "\x" and two hex
    // digits a byte (a C1 control's two bytes each). The rest, UTF-8
    // letters included, stays as it is.
    static std::string shown(std::string_view text);
};
