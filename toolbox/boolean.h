// Reads a boolean option value: "true", "yes" or "on" in any case, or a
// number other than 0; anything else is false.
#pragma once

namespace Orvanta::Toolbox {

class Boolean {
public:
    explicit Boolean(const char* text);
    virtual ~Boolean() = default;

    operator bool() const { return _value; }

private:
    bool _value;
};

} // namespace Orvanta::Toolbox
