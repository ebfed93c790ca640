// The name of a MIME parameter with its RFC 2231 flags (section number,
// extended value). The name is copied, so it never points into a caller's text.
#pragma once

#include <cstddef>
#include <string>

namespace Orvanta::Mime {

class ParamKey {
public:
    ParamKey(const char* data, size_t size);

    const std::string& name() const { return _name; }
    bool sectioned() const { return _sectioned; }
    bool extended() const { return _extended; }
    size_t section() const { return _section; }
    size_t consumed() const { return _consumed; }

    // the same name without the RFC 2231 suffix: what joined sections become
    ParamKey plain() const;

    // equal names ignoring ASCII case
    bool matches(const char* name, size_t size) const;

private:
    ParamKey() = default;

    std::string _name;
    bool _sectioned = false;
    bool _extended = false;
    size_t _section = 0;
    size_t _consumed = 0;
};

} // namespace Orvanta::Mime
