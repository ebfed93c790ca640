// Whether an optional separator ('<', '>', ':') was present; set by the
// parser that owns it.
#pragma once

namespace Orvanta::Mime {

class Optional {
public:
    Optional() = default;
    explicit Optional(bool present) : _present(present) {}

    bool present() const { return _present; }
    void present(bool value) { _present = value; }

private:
    bool _present = false;
};

} // namespace Orvanta::Mime
