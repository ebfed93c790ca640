// Reads a boolean option value: "true", "yes" or "on" in any case, or a
// number other than 0; anything else is false.
#pragma once

#include <optional>
#include <string_view>

namespace Orvanta::Toolbox {

class Boolean {
public:
    explicit Boolean(const char* text);

    operator bool() const { return _value; }

    // The strict reading, for values a user typed: "true", "yes", "on",
    // "false", "no", "off" in any case, a whole decimal integer, or the
    // empty text (false); nothing for anything else.
    static std::optional<bool> parse(std::string_view text);

private:
    bool _value;
};

} // namespace Orvanta::Toolbox
