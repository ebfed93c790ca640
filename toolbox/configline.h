// Splits one configuration line into key and value: optional white space, a
// key without blanks, ":" or "=", optional white space and the value.
#pragma once

#include <string>
#include <string_view>

namespace Orvanta::Toolbox {

class ConfigLine {
public:
    // Matches the whole line; valid() tells whether it had the form.
    explicit ConfigLine(std::string_view line);

    bool valid() const { return _valid; }
    const std::string& key() const { return _key; }
    const std::string& value() const { return _value; }

private:
    bool _valid = false;
    std::string _key;
    std::string _value;
};

} // namespace Orvanta::Toolbox
